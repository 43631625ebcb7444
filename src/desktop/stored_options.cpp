#include "stored_options.h"

namespace lp {

StoredOptions ReadStoredOptions(const SettingsStore& store, const MessageSink& say) {
    const QString group = StoredOptionsKeyPath();
    const OptionLookup lookup = [&](const std::string& name) -> std::optional<std::string> {
        const auto value = store.read(group, QString::fromStdString(name));
        if (!value)
            return std::nullopt;
        // The INI format reads a value with commas as a list; the message shows it as written.
        if (value->typeId() == QMetaType::QStringList)
            return value->toStringList().join(QStringLiteral(", ")).toStdString();
        return value->toString().toStdString();
    };
    return ReadOptionValues(lookup, store.filePath().toStdString(), say);
}

bool WriteStoredOptions(SettingsStore& store, const StoredOptions& options) {
    const QString group = StoredOptionsKeyPath();
    const auto set = [&](const char* name, const std::string& text) {
        store.set(group, QString::fromLatin1(name), QString::fromStdString(text));
    };
    set(kNameClashOption, OptionText(options.policy.nameClash));
    set(kDeleteToTrashOption, OptionText(options.policy.deleteToTrash));
    set(kPausedOption, OptionText(options.paused));
    set(kNotifyFailuresOption, OptionText(options.notifyFailures));
    set(kNotifySortedOption, OptionText(options.notifyEverySorted));
    return store.flush();
}

} // namespace lp
