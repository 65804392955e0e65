#include "screens/messaging/PickerStores.h"

#include "stores/CCeDataManager.h"

PickerStores::PickerStores(CCeContactsDB* contacts, CCeCategoriesDB* categories)
    : m_pContacts(contacts ? contacts : &g_pDataManager->m_ContactsDB),
      m_pCategories(categories ? categories : &g_pDataManager->m_CategoriesDB)
{
}

PickerStores::~PickerStores()
{
    Release();
}

void PickerStores::Open()
{
    if (!m_pCategories->IsOpen())
        m_bOpenedCategories = m_pCategories->OpenDefault(static_cast<HWND>(nullptr)) != 0;
    if (m_pCategories->IsOpen())
        m_pCategories->Load();
    if (!m_pContacts->IsOpen())
        m_bOpenedContacts = m_pContacts->OpenDefault(static_cast<HWND>(nullptr)) != 0;
}

void PickerStores::Release()
{
    if (m_bOpenedContacts)
        m_pContacts->Close();
    if (m_bOpenedCategories)
        m_pCategories->Close();
    m_bOpenedContacts = m_bOpenedCategories = false;
}
