#include "stored_options.h"

#include <array>
#include <optional>
#include <utility>

namespace lp {

namespace {

const QString kGroup = QStringLiteral("Options");
const QString kNameClash = QStringLiteral("NameClash");
const QString kDeleteToTrash = QStringLiteral("DeleteToTrash");
const QString kPaused = QStringLiteral("Paused");

constexpr std::array<std::pair<NameClash, const char*>, 3> kNameClashTexts{{
    {NameClash::Replace, "replace"},
    {NameClash::KeepBoth, "keep-both"},
    {NameClash::Leave, "leave"},
}};

QString nameClashText(NameClash clash) {
    for (const auto& [value, text] : kNameClashTexts)
        if (value == clash)
            return QString::fromLatin1(text);
    return QString::fromLatin1(kNameClashTexts.front().second);
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Reads the values one by one, saying each one not understood.
class OptionsReader {
public:
    OptionsReader(const SettingsStore& store, const MessageSink& say) : store_(store), say_(say) {}

    NameClash nameClash() {
        const auto text = read(kNameClash);
        if (!text)
            return NameClash::Replace;
        for (const auto& [value, spelled] : kNameClashTexts)
            if (text->compare(QLatin1String(spelled), Qt::CaseInsensitive) == 0)
                return value;
        refuse(kNameClash, *text, "replace, keep-both or leave", "replace");
        return NameClash::Replace;
    }

    bool flag(const QString& name) {
        const auto text = read(name);
        if (!text)
            return false;
        if (text->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text->compare(QLatin1String("false"), Qt::CaseInsensitive) != 0)
            refuse(name, *text, "false or true", "false");
        return false;
    }

private:
    std::optional<QString> read(const QString& name) const {
        const auto value = store_.read(kGroup, name);
        if (!value)
            return std::nullopt;
        // The INI format reads a value with commas as a list; the message shows it as written.
        if (value->typeId() == QMetaType::QStringList)
            return value->toStringList().join(QStringLiteral(", "));
        return value->toString().trimmed();
    }

    void refuse(const QString& name, const QString& text, const char* understood,
                const char* used) const {
        if (say_)
            say_("larchpost: " + store_.filePath().toStdString() + ": [Options] " +
                 name.toStdString() + "=" + text.toStdString() + " is not understood (" +
                 understood + "); " + used + " is used.");
    }

    const SettingsStore& store_;
    const MessageSink& say_;
};

} // namespace

StoredOptions ReadStoredOptions(const SettingsStore& store, const MessageSink& say) {
    OptionsReader reader(store, say);
    StoredOptions options;
    options.policy.nameClash = reader.nameClash();
    options.policy.deleteToTrash = reader.flag(kDeleteToTrash);
    options.paused = reader.flag(kPaused);
    return options;
}

bool WriteStoredOptions(SettingsStore& store, const StoredOptions& options) {
    store.set(kGroup, kNameClash, nameClashText(options.policy.nameClash));
    store.set(kGroup, kDeleteToTrash, boolText(options.policy.deleteToTrash));
    store.set(kGroup, kPaused, boolText(options.paused));
    return store.flush();
}

} // namespace lp
