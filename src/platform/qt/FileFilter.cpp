#include "platform/qt/FileFilter.h"

#include <QStringList>

namespace vantor {

QString ToQtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty()) {
            break;  // the empty pair that ends the list
        }
        // Qt reads the patterns from the parentheses, separated by blanks.
        const QString patterns = parts[i + 1]
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '))
                                     .trimmed();
        if (patterns.isEmpty() ||
            description.contains(QLatin1Char('(') + patterns + QLatin1Char(')'))) {
            filters.append(description);
        } else {
            filters.append(description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
        }
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace vantor
