#include "placeholder_help.h"

#include "param_dialog_frame.h"
#include "platform/local_time.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string_view>
#include <utility>
#include <variant>

namespace lp {

TemplateFacts ExamplePhotoFacts() {
    const double today = platform::LocalToday();
    TemplateFacts facts = FactsOfName(kExampleFile, today, today);
    facts.taken = today;
    return facts;
}

void placePlaceholderHelp(QWidget& dialog, QLineEdit& field, PathTemplate::Kind kind, int top,
                          TemplateExample example) {
    auto* label = new QLabel(QStringLiteral("&Placeholder:"), &dialog);
    label->setObjectName(QStringLiteral("Label2"));
    label->setGeometry(8, top + 4, 76, 16);
    auto* box = new QComboBox(&dialog);
    box->setObjectName(QStringLiteral("cbPlaceholder"));
    box->setGeometry(86, top, 116, 23);
    for (const std::string_view name : PlaceholderNames())
        box->addItem(QStringLiteral("{%1}").arg(QString::fromUtf8(name)));
    label->setBuddy(box);
    QPushButton* insert = placeButton(dialog, "Button4", QStringLiteral("Insert"), 206, top - 1);
    // The focus goes back to the field, so that typing goes on where the placeholder ended.
    QObject::connect(insert, &QPushButton::clicked, &dialog, [box, &field] {
        field.insert(box->currentText());
        field.setFocus();
    });

    auto* line = new QLabel(&dialog);
    line->setObjectName(QStringLiteral("lbExample"));
    // Room for three lines; a longer one shows whole in its tooltip.
    line->setGeometry(8, top + 32, 273, 50);
    line->setWordWrap(true);
    const auto show = [line, &field, kind, example = std::move(example)] {
        const std::string typed = field.text().toStdString();
        if (typed.empty()) {
            line->clear();
            line->setToolTip({});
            return;
        }
        const auto parsed = PathTemplate::Parse(typed, kind);
        const auto* refusal = std::get_if<TemplateRefusal>(&parsed);
        line->setText(refusal ? QString::fromStdString(refusal->reason)
                              : example(std::get<PathTemplate>(parsed)));
        line->setToolTip(line->text());
    };
    QObject::connect(&field, &QLineEdit::textChanged, line, show);
    show();
}

} // namespace lp
