// Setup files, data files and the defaults file of the document.
#include "doc/CKv4731xDoc.h"

namespace kv {

bool CKv4731xDoc::OnOpenDocument(const std::string&) { return false; }
bool CKv4731xDoc::OnSaveDocument(const std::string&) { return false; }
bool CKv4731xDoc::SaveModified() { return true; }
bool CKv4731xDoc::LoadSetupFile(const std::string&) { return false; }
bool CKv4731xDoc::StoreSetupFile(const std::string&) { return false; }
void CKv4731xDoc::OnOpenDataFile() {}
void CKv4731xDoc::OnSaveDataFile() {}
void CKv4731xDoc::LoadDataFile(const std::string&) {}
void CKv4731xDoc::ReadDefaultsFile() {}
void CKv4731xDoc::WriteDefaultsFile() {}

}  // namespace kv
