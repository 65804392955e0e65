#include "phone/PhoneScreens.h"

#include "phone/CCeMWndPhone.h"
#include "phone/PhoneViews.h"
#include "screens/calls/CCeMWndAlert.h"
#include "screens/calls/CCeMWndAutoDDD.h"
#include "screens/calls/CCeMWndCallInfo.h"
#include "screens/calls/CCeMWndCallList.h"
#include "screens/calls/CCeMWndRejectCall.h"
#include "screens/messaging/CCeMWndContacts.h"
#include "screens/messaging/CCeMWndSMS.h"
#include "phone/SystemVolume.h"
#include "screens/prefs/PrefsScreens.h"
#include "screens/service/ServiceScreens.h"
#include "stores/CCeDataManager.h"

namespace {

// A call screen made visible at its place, or null (and nothing left over).
template <typename Screen>
CCeMWnd* Made(std::unique_ptr<Screen> screen, HWND parent, const CCeMPlacement& pl, int view)
{
    if (!screen->CreateScreen(parent, pl, static_cast<UINT>(view)))
        return nullptr;
    return screen.release();
}

}  // namespace

PhoneStandingScreens PlugInScreens(CCeMWndPhone& phone, CCeDataManager& data)
{
    for (int view : kServiceScreenViews) {
        phone.SetScreenMaker(view, {[&data, view](HWND parent, const CCeMPlacement& pl, int page) {
                                        return MakeServiceScreen(data, view, parent, pl, page);
                                    },
                                    TurnServiceScreen});
    }
    phone.SetScreenMaker(VIEW_AREACODE, {[&data](HWND parent, const CCeMPlacement& pl, int) {
                                             return Made(std::make_unique<CCeMWndAutoDDD>(data), parent, pl,
                                                         VIEW_AREACODE);
                                         },
                                         nullptr});
    phone.SetScreenMaker(VIEW_CALLINFO, {[&data](HWND parent, const CCeMPlacement& pl, int) {
                                             return Made(std::make_unique<CCeMWndCallInfo>(data), parent, pl,
                                                         VIEW_CALLINFO);
                                         },
                                         nullptr});
    phone.SetScreenMaker(VIEW_RINGTONE, {[&data](HWND parent, const CCeMPlacement& pl, int page) {
                                             return Made(std::make_unique<CCeMWndAlert>(data, &data.m_Modem, page),
                                                         parent, pl, VIEW_RINGTONE);
                                         },
                                         [](CCeMWnd* screen, int page) {
                                             static_cast<CCeMWndAlert*>(screen)->SetPage(page);
                                         }});
    phone.SetScreenMaker(VIEW_REJECTION, {[&data](HWND parent, const CCeMPlacement& pl, int) {
                                              return Made(std::make_unique<CCeMWndRejectCall>(data), parent, pl,
                                                          VIEW_REJECTION);
                                          },
                                          nullptr});
    phone.SetScreenMaker(VIEW_SKIN, {[](HWND parent, const CCeMPlacement& pl, int) { return MakeSkinScreen(parent, pl); },
                                     nullptr});
    phone.SetScreenMaker(VIEW_VOLUME, {[](HWND parent, const CCeMPlacement& pl, int) {
                                           return MakeVolumeScreen(TheSystemVolume(), parent, pl);
                                       },
                                       nullptr});
    phone.SetScreenMaker(VIEW_SPEEDDIAL, {[](HWND parent, const CCeMPlacement& pl, int) {
                                              return MakeSpeedDialScreen(parent, pl);
                                          },
                                          nullptr});
    phone.SetScreenMaker(VIEW_USERBELL, {[](HWND parent, const CCeMPlacement& pl, int) {
                                             return MakeUserBellScreen(parent, pl);
                                         },
                                         nullptr});

    PhoneStandingScreens standing;
    const HWND hwnd = phone.GetHwnd();
    RECT client{};
    if (!hwnd || !GetClientRect(hwnd, &client))
        return standing;
    const CCeMPlacement views = PhoneGeometry::Views(client.right, client.bottom);
    auto contacts = std::make_unique<CCeMWndContacts>(&data.m_ContactsDB, &data.m_CategoriesDB);
    if (contacts->Create(views, hwnd, 0, VIEW_CONTACTS)) {
        phone.SetStandingScreen(VIEW_CONTACTS, contacts.get());
        standing.contacts = std::move(contacts);
    }
    auto list = std::make_unique<CCeMWndCallList>(data);
    if (list->CreateScreen(hwnd, views, VIEW_CALLLIST)) {
        CCeMWndCallList* shown = list.get();
        phone.SetStandingScreen(VIEW_CALLLIST, shown);
        phone.SetCallListReload([shown] { shown->Reload(); });
        standing.callList = std::move(list);
    }
    auto messages = std::make_unique<CCeMWndSMS>(data);
    if (messages->Create(views, hwnd, 0, VIEW_MESSAGES)) {
        phone.SetStandingScreen(VIEW_MESSAGES, messages.get());
        standing.messages = std::move(messages);
    }
    return standing;
}
