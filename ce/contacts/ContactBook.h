#pragma once
// The contacts application's side of the handheld's contacts and categories
// databases: creates them and moves contacts in and out as vCards.
#include <functional>
#include <string>
#include <vector>

#include "ce/contacts/VCard.h"

namespace contacts {

struct ImportReport {
    int written = 0;
    int duplicates = 0;  // already in the database: not written again
    int failed = 0;      // the database refused the record
    int newCategories = 0;
    std::vector<std::wstring> messages;
};

struct ExportResult {
    std::vector<vcard::Contact> contacts;
    std::vector<std::wstring> messages;
};

// Creates both databases where missing; 1 when both exist afterwards.
int CreateDatabases();
// Writes the contacts (creating the databases and any new category) in
// batches of one commit each. After every commit `committed` (when given)
// hears how many contacts are written so far: those survive whatever
// happens next.
ImportReport Import(const std::vector<vcard::Contact>& contacts,
                    const std::function<void(int written)>& committed = {});
// Reads every contact record back as a card; records with nothing to
// show and pictures that are no usable bitmap are left out with a message.
ExportResult Export();

}  // namespace contacts
