#pragma once
// The markup of a parameter-link line: plain text holding at most one link,
// <a href="NAME">shown text</a>. No other tag exists.

#include <QString>

namespace lp {

struct ParamLine {
    QString before;   // plain text before the link (the whole line when there is no link)
    QString href;     // the link's name; empty when the line has no link
    QString linkText; // the link's shown text
    QString after;    // plain text after the link
    bool hasLink = false;

    QString plainText() const { return before + linkText + after; }
};

// Splits one line. A line whose link is not well formed is taken as plain text, so nothing a
// user typed can break the list. The shown text runs to the last "</a>", so a folder name that
// itself holds markup characters is shown and handed back whole.
ParamLine parseParamLine(const QString& line);

} // namespace lp
