#pragma once

#include <optional>
#include <string>
#include <vector>

// Changes of whole sections and keys of a settings text, collected by one operation and
// applied in one pass under one hold of the file's lock (ProfileSnapshot::Apply). A pulse
// design of thousands of sections changes hundreds of keys per edit; one rewrite of the
// file per key would make every edit as slow as the design is large, many times over.
//
// Operations apply in the order they were given. Only the sections named by an operation
// are rewritten (the keys of their first header, in file order, then new keys; blank
// lines at a section's end stay); every other byte of the text is kept.
class ProfileBatch {
public:
    void Set(const std::string& section, const std::string& key, const std::string& value);
    void Remove(const std::string& section, const std::string& key);
    // The whole section goes; a later Set creates it again.
    void Clear(const std::string& section);
    // `target` becomes a copy of `source` as it stands at this point of the batch.
    void Copy(const std::string& source, const std::string& target);

    bool Empty() const { return operations_.empty(); }
    std::size_t Size() const { return operations_.size(); }
    // Why the batch cannot be written (a name or value that cannot stand on one line);
    // empty when it can.
    std::string Problem() const;
    // Applies the batch to a whole settings text; false when nothing changed.
    bool ApplyTo(std::string& text) const;

private:
    enum class Kind { Set, Remove, Clear, Copy };
    struct Operation {
        Kind kind;
        std::string section; // target
        std::string key;     // key, or the source section of a copy
        std::string value;
    };
    std::vector<Operation> operations_;
};
