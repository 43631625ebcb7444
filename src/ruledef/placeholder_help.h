#pragma once
// The help a field that takes placeholders gets in its dialog: the placeholders, one at a time put
// at the field's cursor, and a line below that shows what the typed text makes of a photo or why
// it cannot be used. The destination and the new-name dialogs show it alike.

#include "globals/path_template.h"

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

namespace lp {

// The file the example line speaks of: photo.jpg, taken and last written today, at the top of its
// watched folder. A real date in every date placeholder reads better than "{year}".
inline constexpr const char* kExampleFile = "photo.jpg";
TemplateFacts ExamplePhotoFacts();

// What a template that parses makes of the example file, in words; empty for no line.
using TemplateExample = std::function<QString(const PathTemplate& parsed)>;

// Places "&Placeholder:" with its list (cbPlaceholder) and Insert (Button4) in the row at top,
// right of x 8 and no wider than 273, and the example line (lbExample) below it. The line follows
// the field's text as it is typed: nothing while it is empty, the refusal's reason while it does
// not parse as kind, else what example says.
void placePlaceholderHelp(QWidget& dialog, QLineEdit& field, PathTemplate::Kind kind, int top,
                          TemplateExample example);

} // namespace lp
