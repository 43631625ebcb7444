#include "param_markup.h"

namespace lp {

ParamLine parseParamLine(const QString& line) {
    static const QString open = QStringLiteral("<a href=\"");
    static const QString close = QStringLiteral("</a>");

    ParamLine parsed;
    parsed.before = line;

    const qsizetype start = line.indexOf(open);
    if (start < 0)
        return parsed;
    const qsizetype nameStart = start + open.size();
    const qsizetype quote = line.indexOf(QLatin1Char('"'), nameStart);
    if (quote < 0 || quote + 1 >= line.size() || line.at(quote + 1) != QLatin1Char('>'))
        return parsed;
    const qsizetype textStart = quote + 2;
    const qsizetype end = line.lastIndexOf(close);
    if (end < textStart)
        return parsed;

    parsed.before = line.left(start);
    parsed.href = line.mid(nameStart, quote - nameStart);
    parsed.linkText = line.mid(textStart, end - textStart);
    parsed.after = line.mid(end + close.size());
    parsed.hasLink = true;
    return parsed;
}

} // namespace lp
