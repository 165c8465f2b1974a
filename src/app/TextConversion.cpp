#include "app/TextConversion.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kv {

QString FromCore(const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return decoded;
    }
    return QString::fromLatin1(bytes);
}

std::string ToCore(const QString& text) {
    return text.toUtf8().toStdString();
}

QString PathFromCore(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathToCore(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = FromCore(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patternText = parts[i + 1].trimmed();
        if (description.isEmpty() && patternText.isEmpty()) {
            break;
        }
        QStringList patterns;
        for (const QString& p : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty()) {
            patterns << QStringLiteral("*");
        }
        // Qt reads the patterns from the description's parentheses: write them there.
        const int open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(open).trimmed();
        }
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

bool ParseNumber(const QString& text, double& value) {
    const QByteArray bytes = text.trimmed().toLatin1();
    // Plain decimal notation with an optional exponent only: no hexadecimal, "inf" or "nan".
    if (bytes.isEmpty() ||
        bytes.toStdString().find_first_not_of("0123456789+-.eE") != std::string::npos) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(bytes.constData(), &end);
    if (end == bytes.constData() || *end != '\0' || !std::isfinite(v)) {
        return false;
    }
    value = v;
    return true;
}

bool ParseInteger(const QString& text, int& value) {
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(bytes.constData(), &end, 10);
    if (end == bytes.constData() || *end != '\0' || errno == ERANGE ||
        v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

}  // namespace kv
