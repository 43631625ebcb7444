#pragma once
// An environment that hands every call to another one. An environment that adds something to
// some calls (a line printed, an entry logged) derives from it and overrides just those.

#include "cycle_environment.h"

namespace lp {

class ForwardingEnvironment : public CycleEnvironment {
public:
    explicit ForwardingEnvironment(CycleEnvironment& inner) : inner_(inner) {}

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override {
        return inner_.listFolder(folder, withDetails);
    }
    bool listFolderInto(const std::string& folder, bool withDetails,
                        std::vector<platform::FolderEntry>& entries) override {
        return inner_.listFolderInto(folder, withDetails, entries);
    }
    bool listNamesInto(const std::string& folder, std::vector<std::string>& names) override {
        return inner_.listNamesInto(folder, names);
    }
    platform::FolderObserver* folderObserver() override { return inner_.folderObserver(); }
    bool fileInUse(const std::string& path, bool listedAsPlainFile) override {
        return inner_.fileInUse(path, listedAsPlainFile);
    }
    void actFor(const std::string& folder, const std::string& rule) override {
        inner_.actFor(folder, rule);
    }
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        return inner_.copyFile(source, destination, clash);
    }
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        return inner_.moveFile(source, destination, clash);
    }
    std::optional<platform::FileIdentity> placedIdentity(const std::string& path) override {
        return inner_.placedIdentity(path);
    }
    std::optional<platform::FileIdentity> identityNow(const std::string& path) override {
        return inner_.identityNow(path);
    }
    bool copyStands(const std::string& source, const std::string& destination) override {
        return inner_.copyStands(source, destination);
    }
    std::optional<platform::FileIdentity> regularFileVersion(const std::string& path) override {
        return inner_.regularFileVersion(path);
    }
    std::optional<platform::ContentType> readContentType(const std::string& path) override {
        return inner_.readContentType(path);
    }
    std::optional<std::string> downloadOrigin(const std::string& path) override {
        return inner_.downloadOrigin(path);
    }
    std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                           const std::vector<std::string>& below,
                                           std::vector<std::string>& made) override {
        return inner_.makeFolders(fixedFolder, below, made);
    }
    std::optional<double> captureDate(const std::string& path) override {
        return inner_.captureDate(path);
    }
    std::optional<platform::HeldFolder> holdFolder(const std::string& top,
                                                   std::string_view below) override {
        return inner_.holdFolder(top, below);
    }
    void removeMadeFolders(const std::vector<std::string>& made) override {
        inner_.removeMadeFolders(made);
    }
    void reachThrough(const std::string& folder, const std::string& heldPath) override {
        inner_.reachThrough(folder, heldPath);
    }
    bool deleteFile(const std::string& path) override { return inner_.deleteFile(path); }
    bool trashFile(const std::string& path) override { return inner_.trashFile(path); }
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        return inner_.launch(program, arguments);
    }
    std::string failureReason() override { return inner_.failureReason(); }
    void operationRefused(std::string_view verb, const std::string& path,
                          std::string_view reason) override {
        inner_.operationRefused(verb, path, reason);
    }
    void retryStage(RetryStage stage, const std::string& path) override {
        inner_.retryStage(stage, path);
    }
    double today() override { return inner_.today(); }
    std::chrono::steady_clock::time_point now() override { return inner_.now(); }

protected:
    CycleEnvironment& inner() { return inner_; }

private:
    CycleEnvironment& inner_;
};

} // namespace lp
