#pragma once
// The one object that owns every store, the installation folder and the
// settings block. The program has one static instance; the start-up code
// publishes its address in g_pDataManager and then loads the settings.
#include <windows.h>

#include "modem/CCeMModem.h"
#include "stores/CCeCallListDB.h"
#include "stores/CCeCategoriesDB.h"
#include "stores/CCeCategoryBellDB.h"
#include "stores/CCeContactsDB.h"
#include "stores/CCeDenyCallDB.h"
#include "stores/CCeEasyCallDB.h"
#include "stores/CCeEnvDB.h"
#include "stores/CCeSmsDB.h"
#include "stores/CCeSmsMsgDB.h"
#include "stores/CCeUserBellDB.h"
#include "stores/SettingsBlock.h"

class CCeMpegThread;

// The phone core's record of the call in progress; the reset-call operation
// clears it.
struct CallRecord {
    LONG nLastState;        // call state whose transition ran last
    LONG nDirection;        // 0 none, 1 outgoing, 2 incoming
    LONG nBookedDirection;  // taken when a call starts, read when it ends
    char szNumber[64];      // number of the current call, code page 949
    WCHAR szName[64];       // phonebook name of that number, or empty
    LONG bRejected;         // the ringing call was rejected
    LONG bSendingMessage;   // a text message is being sent
};

class CCeDataManager {
public:
    CCeDataManager();
    // Members go in reverse order: caches released and stores closed last
    // to first.
    ~CCeDataManager();
    CCeDataManager(const CCeDataManager&) = delete;
    CCeDataManager& operator=(const CCeDataManager&) = delete;

    // Stores, in this order.
    CCeCategoriesDB m_CategoriesDB;
    CCeContactsDB m_ContactsDB;
    CCeCallListDB m_CallListDB;
    CCeSmsDB m_SmsDB;
    CCeEnvDB m_EnvDB;
    CCeEasyCallDB m_EasyCallDB;
    CCeDenyCallDB m_DenyCallDB;
    CCeUserBellDB m_UserBellDB;
    CCeCategoryBellDB m_CategoryBellDB;
    CCeSmsMsgDB m_SmsMsgDB;

    // Read from the registry value "InstallDir" by the start-up code.
    WCHAR m_szInstallDir[MAX_PATH];
    SettingsBlock m_Settings;

    // Objects of the phone core follow. The ring-tone player is created by
    // the main window; the manager only points at it.
    CCeMpegThread* m_pRingPlayer;
    CCeMModem m_Modem;
    CallRecord m_Call;

    // Sets the installation folder (cut to fit MAX_PATH characters).
    void SetInstallDir(LPCWSTR folder);
};

extern CCeDataManager* g_pDataManager;
