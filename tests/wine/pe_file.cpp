#include "tests/wine/pe_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace tarvik::pe {

namespace {

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t o) {
    return static_cast<std::uint16_t>(b[o] | b[o + 1] << 8);
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t o) {
    return static_cast<std::uint32_t>(b[o]) | static_cast<std::uint32_t>(b[o + 1]) << 8 |
           static_cast<std::uint32_t>(b[o + 2]) << 16 | static_cast<std::uint32_t>(b[o + 3]) << 24;
}

std::string Hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

std::size_t Align4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

// Reads a NUL-terminated UTF-16 text at o, not past end; *next is just past the NUL.
std::u16string Utf16At(const std::vector<std::uint8_t>& b, std::size_t o, std::size_t end, std::size_t* next) {
    std::u16string s;
    while (o + 1 < end) {
        const char16_t c = static_cast<char16_t>(U16(b, o));
        o += 2;
        if (c == 0) break;
        s.push_back(c);
    }
    if (next) *next = o;
    return s;
}

// One node of the VS_VERSIONINFO tree.
struct Block {
    std::string key;
    std::uint16_t valueLength = 0, type = 0;
    std::size_t valueOffset = 0, end = 0;
    std::vector<Block> children;
};

bool ReadBlock(const std::vector<std::uint8_t>& b, std::size_t o, std::size_t limit, Block* out, std::string* error,
               int depth) {
    if (depth > 6) {
        *error = "version blocks nest too deeply";
        return false;
    }
    if (o + 6 > limit) {
        *error = "version block at " + std::to_string(o) + " runs past its parent";
        return false;
    }
    const std::uint16_t length = U16(b, o);
    out->valueLength = U16(b, o + 2);
    out->type = U16(b, o + 4);
    if (length < 6 || o + length > limit) {
        *error = "version block at " + std::to_string(o) + " has length " + std::to_string(length) +
                 ", beyond its parent's end " + std::to_string(limit);
        return false;
    }
    out->end = o + length;
    std::size_t p = 0;
    out->key = Utf8(Utf16At(b, o + 6, out->end, &p));
    p = Align4(p);
    out->valueOffset = p;
    // Text values count characters, binary ones bytes.
    const std::size_t valueBytes = out->type == 1 ? out->valueLength * 2u : out->valueLength;
    p = Align4(p + valueBytes);
    while (p + 6 <= out->end) {
        Block child;
        if (!ReadBlock(b, p, out->end, &child, error, depth + 1)) return false;
        p = Align4(child.end);
        out->children.push_back(std::move(child));
    }
    return true;
}

}  // namespace

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

File::File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error_ = "cannot open " + path;
        return;
    }
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!Parse()) {
        error_ = path + ": " + error_;
        imports_.clear();
        resources_.clear();
    }
}

std::optional<std::uint32_t> File::RvaToOffset(std::uint32_t rva, std::uint32_t size) const {
    for (const Section& s : sections_) {
        const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            const std::uint64_t within = rva - s.virtualAddress;
            if (within + size > s.rawSize) return std::nullopt;  // not backed by the file
            const std::uint64_t offset = s.rawOffset + within;
            if (offset + size > bytes_.size()) return std::nullopt;
            return static_cast<std::uint32_t>(offset);
        }
    }
    return std::nullopt;
}

std::string File::StringAt(std::uint32_t rva) const {
    const auto o = RvaToOffset(rva, 1);
    if (!o) return "";
    std::string s;
    for (std::size_t i = *o; i < bytes_.size() && bytes_[i] && s.size() < 260; ++i) s += static_cast<char>(bytes_[i]);
    return s;
}

bool File::Parse() {
    const auto& b = bytes_;
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') {
        error_ = "no MZ header";
        return false;
    }
    const std::uint32_t peOffset = U32(b, 0x3C);
    if (peOffset + 24 > b.size() || U32(b, peOffset) != 0x00004550) {
        error_ = "no PE signature at " + Hex(peOffset);
        return false;
    }
    const std::size_t coff = peOffset + 4;
    machine_ = U16(b, coff);
    timeDateStamp_ = U32(b, coff + 4);
    const std::uint16_t sectionCount = U16(b, coff + 2);
    const std::uint16_t optionalSize = U16(b, coff + 16);
    const std::size_t opt = coff + 20;
    if (opt + optionalSize > b.size() || optionalSize < 2) {
        error_ = "optional header runs past the end of the file";
        return false;
    }
    const std::uint16_t magic = U16(b, opt);
    if (magic != 0x10B && magic != 0x20B) {
        error_ = "unknown optional header magic " + Hex(magic);
        return false;
    }
    pe32Plus_ = magic == 0x20B;
    if (optionalSize < 70) {
        error_ = "optional header too short";
        return false;
    }
    subsystem_ = U16(b, opt + 68);
    const std::size_t countAt = opt + (pe32Plus_ ? 108 : 92);
    const std::size_t dirs = countAt + 4;
    if (countAt + 4 > opt + optionalSize) {
        error_ = "optional header has no data directories";
        return false;
    }
    const std::uint32_t dirCount = U32(b, countAt);
    auto directory = [&](std::uint32_t i) -> std::pair<std::uint32_t, std::uint32_t> {
        if (i >= dirCount || dirs + 8 * i + 8 > opt + optionalSize) return {0, 0};
        return {U32(b, dirs + 8 * i), U32(b, dirs + 8 * i + 4)};
    };
    const std::size_t sectionTable = opt + optionalSize;
    if (sectionTable + 40u * sectionCount > b.size()) {
        error_ = "section table runs past the end of the file";
        return false;
    }
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::size_t s = sectionTable + 40u * i;
        sections_.push_back({U32(b, s + 12), U32(b, s + 8), U32(b, s + 20), U32(b, s + 16)});
    }
    const auto [importRva, importSize] = directory(1);
    if (importRva && !ReadImports(importRva, importSize)) return false;
    const auto [resourceRva, resourceSize] = directory(2);
    if (resourceRva) {
        const auto base = RvaToOffset(resourceRva, std::min<std::uint32_t>(resourceSize, 16));
        if (!base) {
            error_ = "resource directory at RVA " + Hex(resourceRva) + " is not in any section";
            return false;
        }
        if (!ReadResourceDirectory(*base, resourceSize, 0, 0, Resource{})) return false;
    }
    return true;
}

bool File::ReadImports(std::uint32_t rva, std::uint32_t size) {
    // IMAGE_IMPORT_DESCRIPTOR entries of 20 bytes, ended by an all-zero one.
    for (std::uint32_t at = rva;; at += 20) {
        const auto o = RvaToOffset(at, 20);
        if (!o) {
            error_ = "import descriptor at RVA " + Hex(at) + " is not in the file";
            return false;
        }
        const std::uint32_t nameRva = U32(bytes_, *o + 12);
        const std::uint32_t thunks = U32(bytes_, *o + 16);
        if (!nameRva && !thunks) break;
        const std::string name = StringAt(nameRva);
        if (name.empty()) {
            error_ = "import descriptor at RVA " + Hex(at) + " names no DLL";
            return false;
        }
        imports_.push_back(name);
        if (imports_.size() > 1000 || (size && at + 20 - rva > size + 20)) {
            error_ = "import table is not terminated";
            return false;
        }
    }
    return true;
}

bool File::ReadResourceDirectory(std::uint32_t base, std::uint32_t baseSize, std::uint32_t dirOffset, int level,
                                 Resource current) {
    const auto& b = bytes_;
    const std::size_t dir = static_cast<std::size_t>(base) + dirOffset;
    if (level > 2 || dirOffset + 16 > baseSize || dir + 16 > b.size()) {
        error_ = "resource directory at " + Hex(dirOffset) + " is out of bounds";
        return false;
    }
    const int entries = U16(b, dir + 12) + U16(b, dir + 14);
    for (int i = 0; i < entries; ++i) {
        const std::size_t e = dir + 16 + 8u * static_cast<unsigned>(i);
        if (e + 8 > b.size()) {
            error_ = "resource entry runs past the end of the file";
            return false;
        }
        const std::uint32_t name = U32(b, e);
        const std::uint32_t target = U32(b, e + 4);
        Resource r = current;
        std::uint32_t numeric = name & 0xFFFF;
        std::u16string text;
        if (name & 0x80000000u) {
            const std::size_t at = static_cast<std::size_t>(base) + (name & 0x7FFFFFFFu);
            if (at + 2 > b.size()) {
                error_ = "resource name out of bounds";
                return false;
            }
            const std::uint16_t len = U16(b, at);
            for (std::size_t k = 0; k < len && at + 2 + 2 * k + 1 < b.size(); ++k)
                text.push_back(static_cast<char16_t>(U16(b, at + 2 + 2 * k)));
            numeric = 0;
        }
        if (level == 0) r.type = numeric;
        else if (level == 1) r.id = numeric, r.textName = text;
        else r.language = numeric;
        if (target & 0x80000000u) {
            if (!ReadResourceDirectory(base, baseSize, target & 0x7FFFFFFFu, level + 1, r)) return false;
            continue;
        }
        // A data entry: RVA, size, code page, reserved.
        const std::size_t entry = static_cast<std::size_t>(base) + target;
        if (entry + 16 > b.size()) {
            error_ = "resource data entry out of bounds";
            return false;
        }
        const std::uint32_t dataRva = U32(b, entry), dataSize = U32(b, entry + 4);
        const auto o = RvaToOffset(dataRva, dataSize);
        if (!o) {
            error_ = "resource data at RVA " + Hex(dataRva) + " (" + std::to_string(dataSize) +
                     " bytes) is not in the file";
            return false;
        }
        r.data.assign(b.begin() + *o, b.begin() + *o + dataSize);
        resources_.push_back(std::move(r));
    }
    return true;
}

std::vector<const Resource*> File::ResourcesOfType(std::uint32_t type) const {
    std::vector<const Resource*> out;
    for (const Resource& r : resources_)
        if (r.type == type) out.push_back(&r);
    return out;
}

const Resource* File::FindResource(std::uint32_t type, std::uint32_t id) const {
    for (const Resource& r : resources_)
        if (r.type == type && r.id == id && r.textName.empty()) return &r;
    return nullptr;
}

std::optional<std::vector<IconGroupEntry>> ParseIconGroup(const std::vector<std::uint8_t>& d, std::string* error) {
    if (d.size() < 6) {
        *error = "icon group of " + std::to_string(d.size()) + " bytes has no header";
        return std::nullopt;
    }
    if (U16(d, 0) != 0 || U16(d, 2) != 1) {
        *error = "icon group header is reserved " + std::to_string(U16(d, 0)) + ", type " + std::to_string(U16(d, 2)) +
                 "; expected 0 and 1";
        return std::nullopt;
    }
    const int count = U16(d, 4);
    if (d.size() < 6 + 14u * static_cast<unsigned>(count)) {
        *error = "icon group claims " + std::to_string(count) + " entries but holds " + std::to_string(d.size()) +
                 " bytes";
        return std::nullopt;
    }
    std::vector<IconGroupEntry> entries;
    for (int i = 0; i < count; ++i) {
        const std::size_t e = 6 + 14u * static_cast<unsigned>(i);
        IconGroupEntry entry;
        entry.width = d[e] ? d[e] : 256;
        entry.height = d[e + 1] ? d[e + 1] : 256;
        entry.colourCount = d[e + 2];
        entry.planes = U16(d, e + 4);
        entry.bitCount = U16(d, e + 6);
        entry.bytes = U32(d, e + 8);
        entry.iconId = U16(d, e + 12);
        entries.push_back(entry);
    }
    return entries;
}

std::optional<VersionInfo> ParseVersionInfo(const std::vector<std::uint8_t>& d, std::string* error) {
    Block root;
    if (!ReadBlock(d, 0, d.size(), &root, error, 0)) return std::nullopt;
    if (root.key != "VS_VERSION_INFO") {
        *error = "version resource's root key is \"" + root.key + "\", expected \"VS_VERSION_INFO\"";
        return std::nullopt;
    }
    VersionInfo info;
    info.fixedInfoValid = root.valueLength >= 52 && root.valueOffset + 52 <= d.size() &&
                          U32(d, root.valueOffset) == 0xFEEF04BDu;
    if (info.fixedInfoValid) {
        // dwFileVersionMS/LS and dwProductVersionMS/LS: two 16-bit parts in each.
        const auto quad = [&](std::size_t at) {
            const std::uint32_t ms = U32(d, at), ls = U32(d, at + 4);
            return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) +
                   "." + std::to_string(ls & 0xFFFF);
        };
        info.fileVersion = quad(root.valueOffset + 8);
        info.productVersion = quad(root.valueOffset + 16);
    }
    for (const Block& child : root.children) {
        if (child.key == "StringFileInfo") {
            for (const Block& table : child.children) {
                auto& strings = info.stringTables[table.key];
                for (const Block& s : table.children) {
                    // The value runs to its NUL; some tools count bytes, others characters.
                    strings[s.key] = Utf8(Utf16At(d, s.valueOffset, s.end, nullptr));
                }
            }
        } else if (child.key == "VarFileInfo") {
            for (const Block& var : child.children) {
                if (var.key != "Translation") continue;
                for (std::size_t o = var.valueOffset; o + 4 <= var.valueOffset + var.valueLength && o + 4 <= var.end;
                     o += 4)
                    info.translations.emplace_back(U16(d, o), U16(d, o + 2));
            }
        }
    }
    return info;
}

}  // namespace tarvik::pe
