// A small reader for the parts of a Windows executable that the release checks look at:
// the machine and subsystem, the imported DLLs, the version strings and the icon groups.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::pe {

struct Resource {
    std::uint32_t type = 0;
    std::uint32_t id = 0;        // numeric name; 0 with a non-empty textName when named
    std::u16string textName;
    std::uint32_t language = 0;
    std::vector<std::uint8_t> data;
};

struct IconGroupEntry {
    int width = 0, height = 0;  // 0 in the file means 256
    int colourCount = 0, planes = 0, bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint16_t iconId = 0;
};

struct VersionInfo {
    bool fixedInfoValid = false;  // VS_FIXEDFILEINFO present with its signature
    std::string fileVersion, productVersion;  // its numeric versions, "a.b.c.d"
    // String tables by their key ("040904B0"), each mapping a name to its value.
    std::map<std::string, std::map<std::string, std::string>> stringTables;
    // Translation pairs from VarFileInfo, language and code page.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

class File {
public:
    // Reads and parses path; on failure Error() says why and the other results are empty.
    explicit File(const std::string& path);
    const std::string& Error() const { return error_; }
    bool Ok() const { return error_.empty(); }

    std::uint16_t Machine() const { return machine_; }
    std::uint32_t TimeDateStamp() const { return timeDateStamp_; }
    std::uint16_t Subsystem() const { return subsystem_; }
    bool Is64Bit() const { return pe32Plus_; }
    const std::vector<std::string>& ImportedDlls() const { return imports_; }
    std::vector<const Resource*> ResourcesOfType(std::uint32_t type) const;
    const Resource* FindResource(std::uint32_t type, std::uint32_t id) const;

private:
    bool Parse();
    std::optional<std::uint32_t> RvaToOffset(std::uint32_t rva, std::uint32_t size) const;
    bool ReadResourceDirectory(std::uint32_t base, std::uint32_t baseSize, std::uint32_t dirOffset, int level,
                               Resource current);
    bool ReadImports(std::uint32_t rva, std::uint32_t size);
    std::string StringAt(std::uint32_t rva) const;

    struct Section {
        std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
    };
    std::vector<std::uint8_t> bytes_;
    std::vector<Section> sections_;
    std::uint16_t machine_ = 0, subsystem_ = 0;
    std::uint32_t timeDateStamp_ = 0;
    bool pe32Plus_ = false;
    std::vector<std::string> imports_;
    std::vector<Resource> resources_;
    std::string error_;
};

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::uint32_t kRtVersion = 16;

// Parses an RT_GROUP_ICON resource; nullopt with *error when malformed.
std::optional<std::vector<IconGroupEntry>> ParseIconGroup(const std::vector<std::uint8_t>& data, std::string* error);
// Parses an RT_VERSION resource (VS_VERSIONINFO); nullopt with *error when malformed.
std::optional<VersionInfo> ParseVersionInfo(const std::vector<std::uint8_t>& data, std::string* error);

// UTF-16 to UTF-8, for messages and comparisons.
std::string Utf8(const std::u16string& s);

}  // namespace tarvik::pe
