#include "phone/PhoneViews.h"

const wchar_t kLockedViewText[] = L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.";

namespace {

// view, menu command, screen, page, refused while the phone is locked
const PhoneViewInfo kViews[] = {
    {VIEW_DIALPAD, 0, VIEW_DIALPAD, 0, false},
    {VIEW_CONTACTS, 40004, VIEW_CONTACTS, 0, true},
    {VIEW_CALLLIST, 40007, VIEW_CALLLIST, 0, true},
    {VIEW_MESSAGES, 40010, VIEW_MESSAGES, 0, true},
    {VIEW_PASSWORD, 40013, VIEW_PASSWORD, 0, false},
    {VIEW_AREACODE, 40014, VIEW_AREACODE, 0, true},
    {VIEW_RINGTONE, 40016, VIEW_RINGTONE, 0, true},
    {VIEW_ALERTSOUND, 40015, VIEW_RINGTONE, 1, true},
    {VIEW_GREETING, 40017, VIEW_GREETING, 0, true},
    {VIEW_OWNNUMBER, 40018, VIEW_GREETING, 1, true},
    {VIEW_VERSION, 40019, VIEW_GREETING, 2, true},
    {VIEW_SKIN, 40020, VIEW_SKIN, 0, true},
    {VIEW_VOLUME, 40021, VIEW_VOLUME, 0, false},
    {VIEW_HWBUTTONS, 40022, VIEW_HWBUTTONS, 0, true},
    {VIEW_MODULERESET, 40023, VIEW_MODULERESET, 0, false},
    {VIEW_CALLINFO, 40025, VIEW_CALLINFO, 0, true},
    {VIEW_PHONELOCK, 40026, VIEW_PHONELOCK, 0, false},
    {VIEW_RESTRICTION, 40027, VIEW_PHONELOCK, 1, false},
    {VIEW_SPEEDDIAL, 40036, VIEW_SPEEDDIAL, 0, true},
    {VIEW_REJECTION, 40037, VIEW_REJECTION, 0, true},
    {VIEW_USERBELL, 40038, VIEW_USERBELL, 0, true},
    {VIEW_NAM, 0, VIEW_NAM, 0, false},
};

}  // namespace

const PhoneViewInfo* FindPhoneView(int view)
{
    for (const PhoneViewInfo& v : kViews)
        if (v.view == view)
            return &v;
    return nullptr;
}

int ViewOfMenuCommand(UINT command)
{
    if (!command)
        return VIEW_NONE;
    for (const PhoneViewInfo& v : kViews)
        if (v.menuCommand == command)
            return v.view;
    return VIEW_NONE;
}

ViewSwitchPlan PlanViewSwitch(int current, int next, bool phoneLocked)
{
    ViewSwitchPlan plan;
    const PhoneViewInfo* to = FindPhoneView(next);
    if (!to || next == current)
        return plan;
    if (phoneLocked && to->refusedWhenLocked) {
        plan.outcome = ViewSwitchPlan::RefusedLocked;
        return plan;
    }
    plan.outcome = ViewSwitchPlan::Switch;
    plan.page = to->page;
    const PhoneViewInfo* from = FindPhoneView(current);
    if (from && !IsStandingView(current) && from->screen == to->screen) {
        plan.changePage = true;
        return plan;
    }
    if (from) {
        plan.hideCurrent = IsStandingView(current);
        plan.destroyCurrent = !IsStandingView(current);
    }
    plan.showNext = IsStandingView(next);
    plan.createNext = !IsStandingView(next);
    return plan;
}
