#include "stores/CCeDataManager.h"

#include <cstring>
#include <cwchar>

CCeDataManager* g_pDataManager = nullptr;

CCeDataManager::CCeDataManager()
    : m_ContactsDB(&m_CategoriesDB), m_SmsDB(&m_ContactsDB), m_EnvDB(m_Settings, m_szInstallDir),
      m_pRingPlayer(nullptr) {
    m_szInstallDir[0] = 0;
    memset(&m_Settings, 0, sizeof m_Settings);
    memset(&m_Call, 0, sizeof m_Call);
}

CCeDataManager::~CCeDataManager() = default;

void CCeDataManager::SetInstallDir(LPCWSTR folder) {
    wcsncpy(m_szInstallDir, folder ? folder : L"", MAX_PATH - 1);
    m_szInstallDir[MAX_PATH - 1] = 0;
}
