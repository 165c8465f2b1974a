#pragma once

// Conversions between the texts of the document (std::string) and Qt's.

#include <QString>
#include <string>

namespace kv {

// A text of the document for a window: the program's own texts are ASCII; texts read from files
// are single-byte (Latin-1); paths and names typed on this system are UTF-8. A text that is valid
// UTF-8 is read as such, any other as Latin-1, so that no text is ever lost or garbled.
QString FromCore(const std::string& text);
// A text the operator typed, for the document: UTF-8, which FromCore reads back unchanged.
std::string ToCore(const QString& text);

// File paths in the encoding of the file system.
QString PathFromCore(const std::string& path);
std::string PathToCore(const QString& path);

// A file-dialog filter of the form "Kv47310 Files (*.tst)|*.tst|All Files (*.*)|*.*||" in Qt's
// form "Kv47310 Files (*.tst);;All Files (*)". "*.*" becomes "*" so that files without an
// extension are listed too.
QString QtFileFilter(const std::string& filter);

// Parses a whole text as a number (blanks around it allowed); false when it is not one, or not
// finite.
bool ParseNumber(const QString& text, double& value);
bool ParseInteger(const QString& text, int& value);

}  // namespace kv
