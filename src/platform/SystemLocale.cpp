#include "platform/SystemLocale.h"

#include <QLocale>
#include <QRegularExpression>

namespace varlo {

std::string SystemLocale::DecimalSeparator() const {
    return QLocale::system().decimalPoint().toStdString();
}

LocaleFormat SystemLocale::Format() const {
    const QLocale locale = QLocale::system();
    LocaleFormat format;
    format.DecimalSeparator = locale.decimalPoint().toStdString();
    format.ThousandSeparator = locale.groupSeparator().toStdString();
    format.ShortTimeFormat = locale.timeFormat(QLocale::ShortFormat).toStdString();
    format.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat).toStdString();
    // The separator is what stands between the hour and the minute fields.
    static const QRegularExpression separator(QStringLiteral("[hH]+([^hHmM]+)[m]"));
    const QRegularExpressionMatch match = separator.match(locale.timeFormat(QLocale::ShortFormat));
    format.TimeSeparator = match.hasMatch() ? match.captured(1).trimmed().toStdString() : ":";
    if (format.TimeSeparator.empty()) {
        format.TimeSeparator = ":";
    }
    return format;
}

}  // namespace varlo
