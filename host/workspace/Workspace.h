#pragma once

#include <optional>
#include <string>

// A folder prepared for the tool as the host leaves it: the family files, the per-user
// folder "$" + three letters of the user name, and in it the context file. The tool is
// started with this folder as its current directory.
class Workspace {
public:
    Workspace(std::string folder, std::string userTag, std::string family);

    // The workspace of `userTag` in `folder`, with the family its context file names;
    // nullopt when there is no context file or it names no family.
    static std::optional<Workspace> Open(const std::string& folder, const std::string& userTag);
    // The tag the tool derives from the user name: "$" and at most three letters.
    static std::string UserTagFor(const std::optional<std::string>& userName);
    // The registry path under which the tool of this family leaves its link key.
    static std::string HostKeyFor(const std::string& family);

    const std::string& Folder() const { return folder_; }
    const std::string& UserTag() const { return userTag_; }
    const std::string& Family() const { return family_; }
    std::string UserFolder() const;
    std::string ContextFile() const;
    std::string FamilyFile() const;
    std::string HostKey() const { return HostKeyFor(family_); }
    std::string LinkKeyPath() const;

    // Settings the host keeps for the tool in the context file.
    int ActiveChannel() const;
    int ActiveSegment(int channel) const;
    void SetActiveChannel(int channel) const;
    // Replaces the channel's entry of the blank-separated list, extending it when short.
    void SetActiveSegment(int channel, int segment) const;

private:
    std::string folder_;
    std::string userTag_;
    std::string family_;
};
