#pragma once

// The command families of SCPI analyzers, kept as data: a text file of tables, one per family,
// each mapping the driver's operations to SCPI commands and answer forms. A pattern in the
// analyzer's *IDN? answer picks the table; the table named "generic" serves every analyzer that
// no pattern matches. docs/scpi-analyzers.md describes the file.
//
//   # comment
//   [family-name]
//   match = regular expression on the *IDN? answer (case ignored)
//   key = value            a key given again adds a line (a command list)
//
// Values may hold placeholders in braces ({start}, {points}, ...) that the driver fills in.

#include <map>
#include <string>
#include <vector>

namespace kv {

struct ScpiTable {
    std::string name;
    std::map<std::string, std::vector<std::string>> entries;
    int line = 0;  // where the table starts in its file

    bool Has(const std::string& key) const { return entries.count(key) != 0; }
    // The lines of a key (empty when it has none).
    const std::vector<std::string>& Lines(const std::string& key) const;
    // The first line of a key, or `fallback`.
    std::string Value(const std::string& key, const std::string& fallback = {}) const;
};

// Reads the tables of a file's text. A later table of the same name replaces an earlier one, so a
// file read after the shipped one can amend a family. False with "line N: reason" on a mistake.
bool ParseScpiTables(const std::string& text, std::vector<ScpiTable>& tables, std::string& error);

// The table whose pattern matches the identification, else "generic"; null when neither exists.
// `matched`, when given, tells whether a pattern matched.
const ScpiTable* PickScpiTable(const std::vector<ScpiTable>& tables,
                               const std::string& identification, bool* matched = nullptr);

// The template with every "{name}" replaced by its value. False with the reason when a
// placeholder has no value.
bool ExpandScpi(const std::string& text, const std::map<std::string, std::string>& values,
                std::string& out, std::string& error);

}  // namespace kv
