#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The keys and values below one root key, and their REGEDIT4 text: the ANSI
// export of the Windows registry editor, so a person can read the file and
// Windows can import it. Names and data are bytes (cp1251), kept exactly.
// Key and value names compare without case and keep their first spelling;
// keys and values keep the order in which they were first written.

namespace regfile {

// The viewer keeps one value; a store we wrote is a few hundred bytes, so
// 1 MiB leaves room for anything a person adds. Anything larger is refused,
// not read, so memory stays bounded whatever a damaged or hostile file holds.
inline constexpr std::size_t kMaxFileSize = 1u << 20;

struct Value {
    std::string strName; // empty for the key's default value
    std::uint32_t dwType = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const Value&) const = default;
};

class CHive {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    static constexpr std::size_t kRoot = 0;

    CHive();

    // strPath is the subkey path below the root, components separated by
    // backslashes; empty for the root itself. A leading, doubled or trailing
    // backslash or a line break in a name makes the path invalid.
    static bool IsValidPath(std::string_view strPath);
    // npos when the key does not exist or the path is invalid.
    std::size_t FindKey(std::string_view strPath) const;
    // Creates the key and any missing parent; npos for an invalid path.
    std::size_t CreateKey(std::string_view strPath, bool* pbCreated = nullptr);

    std::size_t KeyCount() const { return m_keys.size(); }
    // The backslash-separated path of a key below the root.
    std::string KeyPath(std::size_t nKey) const;
    std::uint32_t SubKeyCount(std::size_t nKey) const { return m_keys[nKey].nSubKeys; }
    std::uint32_t MaxSubKeyNameLength(std::size_t nKey) const { return m_keys[nKey].cchMaxSubKey; }

    const std::vector<Value>& Values(std::size_t nKey) const { return m_keys[nKey].values; }
    // Index into Values(nKey), or npos.
    std::size_t FindValue(std::size_t nKey, std::string_view strName) const;
    // Replaces a value of that name (its place and spelling stay) or appends one.
    void SetValue(std::size_t nKey, std::string_view strName, std::uint32_t dwType,
                  std::vector<std::uint8_t> data);

    bool operator==(const CHive& other) const;

private:
    struct Key {
        std::string strName; // last path component as first written
        std::size_t nParent; // npos for the root
        std::uint32_t nSubKeys = 0;
        std::uint32_t cchMaxSubKey = 0;
        std::vector<Value> values;
        std::unordered_map<std::string, std::size_t> valueIndex; // upper-cased name
    };

    std::size_t FindChild(std::size_t nParent, std::string_view strName) const;
    static std::string ChildKey(std::size_t nParent, std::string_view strName);

    std::vector<Key> m_keys; // parents always before their children
    // (parent, upper-cased name) -> key, so finding a path costs its length.
    std::unordered_map<std::string, std::size_t> m_children;
};

// True when the name compares equal without case (ASCII and cp1251 letters).
bool NamesEqual(std::string_view a, std::string_view b);

// nullopt when the bytes are not a REGEDIT4 file whose sections all lie below
// strRootName (for example "HKEY_LOCAL_MACHINE"), or hold more than
// kMaxFileSize bytes.
std::optional<CHive> Parse(std::string_view bytes, std::string_view strRootName);

// The file as the registry editor exports it: CRLF line ends, hex data
// wrapped with a backslash before 80 columns. nullopt when the text would
// exceed nMaxSize bytes (so a store never writes what it would refuse to read).
std::optional<std::string> Serialize(const CHive& hive, std::string_view strRootName,
                                     std::size_t nMaxSize = kMaxFileSize);

} // namespace regfile
