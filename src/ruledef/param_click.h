#pragma once
// What a click on a parameter link of the rule description does to the working rule.

#include "globals/records.h"

#include <QString>

class QWidget;

namespace lp {

// Fills the exchange values, opens the dialog behind href (through runModal, parented to wizard)
// and on OK writes its result into the first condition or action of that kind (or the trigger
// limit). Cancel, an href without a dialog ("rDelete") and an href whose entry the rule lacks
// change nothing. The caller rebuilds the description afterwards.
void editRuleParameter(QWidget* wizard, RuleRec& rule, const QString& href,
                       const QString& shownText);

} // namespace lp
