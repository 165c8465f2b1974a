#include "ScpiTables.h"
#include "ScpiReader.h"

#include <QRegularExpression>
#include <QString>
#include <cctype>
#include <cmath>
#include <sstream>

namespace kv {

namespace {}  // namespace

const std::vector<std::string>& ScpiTable::Lines(const std::string& key) const {
    static const std::vector<std::string> kNone;
    const auto it = entries.find(key);
    return it == entries.end() ? kNone : it->second;
}

std::string ScpiTable::Value(const std::string& key, const std::string& fallback) const {
    const auto& lines = Lines(key);
    return lines.empty() ? fallback : lines.front();
}

bool ParseScpiTables(const std::string& text, std::vector<ScpiTable>& tables, std::string& error) {
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    ScpiTable* current = nullptr;
    while (std::getline(in, raw)) {
        ++number;
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                error = "line " + std::to_string(number) + ": a table name is written [name]";
                return false;
            }
            ScpiTable table;
            table.name = TrimBlanks(line.substr(1, line.size() - 2));
            table.line = number;
            for (auto it = tables.begin(); it != tables.end(); ++it) {
                if (it->name == table.name) {
                    tables.erase(it);
                    break;
                }
            }
            tables.push_back(table);
            current = &tables.back();
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || current == nullptr) {
            error = "line " + std::to_string(number) +
                    (current == nullptr ? ": a key before the first [table]"
                                        : ": expected key = value");
            return false;
        }
        const std::string key = TrimBlanks(line.substr(0, eq));
        if (key.empty()) {
            error = "line " + std::to_string(number) + ": the key is missing";
            return false;
        }
        const std::string value = TrimBlanks(line.substr(eq + 1));
        if (key == "match" && !QRegularExpression(QString::fromStdString(value)).isValid()) {
            error = "line " + std::to_string(number) + ": the pattern does not read";
            return false;
        }
        if (key == "completion" && value != "opc-query" && value != "event-polling") {
            error = "line " + std::to_string(number) + ": completion is opc-query or event-polling";
            return false;
        }
        if (key == "list-readback" && value != "axis" && value != "segments") {
            error = "line " + std::to_string(number) + ": list-readback is axis or segments";
            return false;
        }
        double segments = 0;
        if (key == "max-segments" && (!ParseScpiNumber(value, segments) || segments < 1 ||
                                      segments > 1e6 || segments != std::floor(segments))) {
            error = "line " + std::to_string(number) +
                    ": max-segments is a whole number from 1 to 1000000";
            return false;
        }
        current->entries[key].push_back(value);
    }
    return true;
}

const ScpiTable* PickScpiTable(const std::vector<ScpiTable>& tables,
                               const std::string& identification, bool* matched) {
    const QString idn = QString::fromStdString(identification);
    if (matched != nullptr) {
        *matched = false;
    }
    for (const auto& t : tables) {
        for (const auto& pattern : t.Lines("match")) {
            const QRegularExpression re(QString::fromStdString(pattern),
                                        QRegularExpression::CaseInsensitiveOption);
            if (!pattern.empty() && re.match(idn).hasMatch()) {
                if (matched != nullptr) {
                    *matched = true;
                }
                return &t;
            }
        }
    }
    for (const auto& t : tables) {
        if (t.name == "generic") {
            return &t;
        }
    }
    return nullptr;
}

bool ExpandScpi(const std::string& text, const std::map<std::string, std::string>& values,
                std::string& out, std::string& error) {
    out.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('{', pos);
        if (open == std::string::npos) {
            out += text.substr(pos);
            break;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos) {
            error = "\"" + text + "\" has an unclosed {";
            return false;
        }
        out += text.substr(pos, open - pos);
        const std::string name = text.substr(open + 1, close - open - 1);
        const auto it = values.find(name);
        if (it == values.end()) {
            error = "\"" + text + "\" names {" + name + "}, which has no value here";
            return false;
        }
        out += it->second;
        pos = close + 1;
    }
    return true;
}

}  // namespace kv
