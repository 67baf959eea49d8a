#include "gui/file_filter.h"

#include "gui/qt_text.h"

#include <QRegularExpression>

namespace sonarel {
namespace {

QString QtPatterns(const QString& patterns) {
    QStringList out;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString trimmed = pattern.trimmed();
        out << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    return out.join(QLatin1Char(' '));
}

// "MP3 Files (*.mp3)" -> "MP3 Files": Qt reads the patterns from the parentheses, so the old
// ones must not stay beside the new.
QString NameWithoutPatterns(const QString& name) {
    static const QRegularExpression kTrailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QString stripped = name;
    stripped.remove(kTrailingGroup);
    return stripped.trimmed();
}

} // namespace

QStringList ToQtNameFilters(const std::string& filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty()) {
            break; // the "||" that ends the list
        }
        entries << NameWithoutPatterns(name) + QStringLiteral(" (") + QtPatterns(parts[i + 1]) +
                       QLatin1Char(')');
    }
    return entries;
}

} // namespace sonarel
