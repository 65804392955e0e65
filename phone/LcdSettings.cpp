#include "phone/LcdSettings.h"

#include "stores/CCeDataManager.h"

namespace LcdSettings {

namespace {

SettingsBlock* Block()
{
    return g_pDataManager ? &g_pDataManager->m_Settings : nullptr;
}

void Save()
{
    if (g_pDataManager)
        g_pDataManager->m_EnvDB.Save();
}

}  // namespace

const wchar_t* InstallDir()
{
    return g_pDataManager ? g_pDataManager->m_szInstallDir : L"";
}

const wchar_t* AutoAreaCode()
{
    const SettingsBlock* s = Block();
    return s && s->bAutoAreaCode == 1 ? s->szAreaCode : nullptr;
}

int MinuteToneChoice()
{
    const SettingsBlock* s = Block();
    return s && s->bMinuteTone == 1 ? s->nMinuteToneChoice : -1;
}

COLORREF TextColour()
{
    const SettingsBlock* s = Block();
    return s ? s->crLcdText : kColours[0];
}

int TextStyle()
{
    const SettingsBlock* s = Block();
    return s ? s->nLcdTextStyle : kStylePlain;
}

int BellSource()
{
    const SettingsBlock* s = Block();
    return s ? s->nBellSource : 1;
}

bool PhoneLocked()
{
    const SettingsBlock* s = Block();
    return s && s->bPhoneLocked == 1;
}

bool UnreadMessages()
{
    const SettingsBlock* s = Block();
    return s && s->nNewMessages > 0;
}

void ResetUnknownColour()
{
    SettingsBlock* s = Block();
    if (!s)
        return;
    for (COLORREF c : kColours)
        if (s->crLcdText == c)
            return;
    s->crLcdText = kColours[0];
    Save();
}

bool SetTextColour(COLORREF colour)
{
    SettingsBlock* s = Block();
    if (!s)
        return false;
    if (s->crLcdText != colour) {
        s->crLcdText = colour;
        Save();
    }
    return true;
}

bool SetTextStyle(int style)
{
    SettingsBlock* s = Block();
    if (!s)
        return false;
    if (s->nLcdTextStyle != style) {
        s->nLcdTextStyle = style;
        Save();
    }
    return true;
}

}  // namespace LcdSettings
