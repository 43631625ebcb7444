#include "registry_settings.h"

#include "globals/app_globals.h"
#include "settings_store.h"

#include <QByteArray>
#include <QMetaType>
#include <memory>
#include <mutex>

namespace lp {

namespace {

std::unique_ptr<SettingsStore>& storeSlot() {
    static std::unique_ptr<SettingsStore> store;
    return store;
}

// Where the process-wide store keeps its values, for the stores other threads open on it.
struct StoreLocation {
    QString path = SettingsStore::defaultFilePath();
    QSettings::Format format = SettingsStore::defaultFormat();
};
std::mutex locationMutex;
std::optional<StoreLocation> storeLocation; // nothing until the store is chosen

void chooseStore(StoreLocation location) {
    storeSlot() = std::make_unique<SettingsStore>(location.path, location.format);
    const std::lock_guard lock(locationMutex);
    storeLocation = std::move(location);
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}
QString q(const char* text) {
    return QString::fromUtf8(text);
}

// A stored 32-bit number; anything else (absent, not a number, out of range) keeps `value`.
void readInt(const char* key, const char* name, std::int32_t& value) {
    const auto stored = settingsStore().read(q(key), q(name));
    if (!stored)
        return;
    bool isNumber = false;
    const int number = stored->toString().trimmed().toInt(&isNumber);
    if (isNumber)
        value = number;
}

std::string cannotWrite() {
    return "Unable to write the settings file " + settingsStore().filePath().toStdString() + ".";
}

} // namespace

SettingsStore& settingsStore() {
    if (!storeSlot())
        chooseStore({});
    return *storeSlot();
}

void useSettingsFile(const std::string& filePath) {
    chooseStore({q(filePath), QSettings::IniFormat});
}

std::unique_ptr<SettingsStore> openSettingsStoreForThisThread() {
    StoreLocation location;
    {
        const std::lock_guard lock(locationMutex);
        if (storeLocation)
            location = *storeLocation;
    }
    return std::make_unique<SettingsStore>(location.path, location.format);
}

bool programKeyExists() {
    return settingsStore().keyExists(q(kProgramKey));
}

void ReadSettings() {
    RegistrySettings& r = app().registry;
    std::int32_t autoStart = r.AutoStart ? 1 : 0;
    readInt(kProgramKey, "AutoStart", autoStart);
    r.AutoStart = autoStart != 0;
    readInt(kMainKey, "Status", r.Status);
    readInt(kMainKey, "Height", r.Height);
    readInt(kMainKey, "Width", r.Width);
    readInt(kMainKey, "Left", r.Left);
    readInt(kMainKey, "Top", r.Top);
}

bool WriteSettings() {
    const RegistrySettings& r = app().registry;
    SettingsStore& store = settingsStore();
    // All six reach the file in one replacement, so no reader ever sees half of them.
    store.set(q(kProgramKey), q("AutoStart"), r.AutoStart ? 1 : 0);
    store.set(q(kMainKey), q("Status"), r.Status);
    store.set(q(kMainKey), q("Height"), r.Height);
    store.set(q(kMainKey), q("Width"), r.Width);
    store.set(q(kMainKey), q("Left"), r.Left);
    store.set(q(kMainKey), q("Top"), r.Top);
    return store.flush();
}

std::optional<std::string> ReadRegString(RegistryRoot, const std::string& keyPath,
                                         const std::string& name) {
    SettingsStore& store = settingsStore();
    if (!store.keyExists(q(keyPath)))
        return std::nullopt;
    const auto stored = store.read(q(keyPath), q(name));
    if (!stored)
        return std::string();
    if (stored->typeId() == QMetaType::QByteArray)
        return stored->toByteArray().toStdString();
    return stored->toString().toStdString();
}

Problem WriteRegValue(RegistryRoot, const std::string& keyPath, const std::string& name,
                      const std::string& value, int kind) {
    SettingsStore& store = settingsStore();
    if (kind == static_cast<int>(RegValueKind::KeepExisting)) {
        const auto existing = store.read(q(keyPath), q(name));
        kind = existing && existing->typeId() == QMetaType::QByteArray
                   ? static_cast<int>(RegValueKind::Binary)
                   : static_cast<int>(RegValueKind::String);
    }
    QVariant stored;
    switch (static_cast<RegValueKind>(kind)) {
    case RegValueKind::String:
    case RegValueKind::ExpandString:
        stored = q(value);
        break;
    case RegValueKind::Integer: {
        bool isNumber = false;
        const int number = q(value).trimmed().toInt(&isNumber);
        if (!isNumber)
            return "\"" + value + "\" is not a valid integer value.";
        stored = number;
        break;
    }
    case RegValueKind::Binary:
        stored = QByteArray::fromStdString(value);
        break;
    default:
        return std::string("The configuration registry key could not be written.");
    }
    if (!store.write(q(keyPath), q(name), stored))
        return cannotWrite();
    return std::nullopt;
}

Problem DeleteRegValue(RegistryRoot, const std::string& keyPath, const std::string& name) {
    if (!settingsStore().remove(q(keyPath), q(name)))
        return cannotWrite();
    return std::nullopt;
}

} // namespace lp
