// The built Windows programs, read as files: machine, subsystem, imports, version strings and
// the icon group, the manifest. Needs no Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "assets/bitmap_file.h"
#include "assets/embedded.h"
#include "host/types.h"
#include "tests/wine/pe_file.h"
#include "tarvik_version.h"

namespace tarvik::pe {
namespace {

struct Build {
    const char* name;
    const char* path;
    std::uint16_t machine;
};

std::ostream& operator<<(std::ostream& o, const Build& b) { return o << b.name; }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

class BuiltProgram : public testing::TestWithParam<Build> {
protected:
    void SetUp() override {
        const Build& b = GetParam();
        ASSERT_TRUE(std::filesystem::exists(b.path)) << b.name << " program not built: expected it at " << b.path;
        file_ = std::make_unique<File>(b.path);
        ASSERT_TRUE(file_->Ok()) << "expected a readable PE file, got: " << file_->Error();
    }
    std::unique_ptr<File> file_;
};

TEST_P(BuiltProgram, IsAGuiProgramForItsMachine) {
    EXPECT_EQ(file_->Machine(), GetParam().machine)
        << "expected machine " << Hex(GetParam().machine) << ", the file says " << Hex(file_->Machine());
    EXPECT_EQ(file_->Is64Bit(), GetParam().machine == 0x8664)
        << "optional header kind does not fit the machine (PE32+ is " << file_->Is64Bit() << ")";
    EXPECT_EQ(file_->Subsystem(), 2) << "expected the Windows GUI subsystem (2), the file says " << file_->Subsystem();
}

TEST_P(BuiltProgram, ItsManifestDeclaresPerMonitorDpiAwareness) {
    // RT_MANIFEST 1: the process manifest, which Windows reads before the program runs.
    const Resource* manifest = file_->FindResource(24, 1);
    ASSERT_NE(manifest, nullptr) << "expected a manifest resource (type 24, id 1)";
    const std::string text(manifest->data.begin(), manifest->data.end());
    const std::string identity = "name=\"Tarvik\" version=\"" TARVIK_VERSION ".0\"";
    EXPECT_NE(text.find(identity), std::string::npos) << "expected the assembly identity " << identity << "; it reads:\n" << text;
    for (const char* want : {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                             "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2"})
        EXPECT_NE(text.find(want), std::string::npos) << "expected the manifest to hold " << want << "; it reads:\n" << text;
}

TEST_P(BuiltProgram, ImportsOnlyWindowsSystemDlls) {
    // What every Windows installation carries; the compiler's own runtime DLLs are not among them.
    static const char* const kSystem[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",    "comctl32.dll",
                                          "msvcrt.dll",   "advapi32.dll", "shell32.dll", "ole32.dll",
                                          "oleaut32.dll", "comdlg32.dll", "uxtheme.dll", "msimg32.dll",
                                          "ntdll.dll",    "shlwapi.dll",  "version.dll", "winmm.dll",
                                          "imm32.dll",    "ucrtbase.dll", "oleacc.dll"};
    const auto& dlls = file_->ImportedDlls();
    ASSERT_FALSE(dlls.empty()) << "expected an import table naming at least KERNEL32.dll, found none";
    std::string all;
    for (const std::string& d : dlls) all += " " + d;
    bool kernel = false;
    for (const std::string& d : dlls) {
        const std::string name = Lower(d);
        kernel = kernel || name == "kernel32.dll";
        const bool system = std::find_if(std::begin(kSystem), std::end(kSystem), [&](const char* s) {
                                return name == s;
                            }) != std::end(kSystem) ||
                            name.rfind("api-ms-win-", 0) == 0;
        EXPECT_TRUE(system) << "expected only Windows system DLLs, but the program imports " << d
                            << " (all imports:" << all << ")";
        EXPECT_TRUE(name.find("libstdc++") == std::string::npos && name.find("libgcc") == std::string::npos &&
                    name.find("libwinpthread") == std::string::npos)
            << "the compiler's runtime must be linked in, not imported: " << d;
    }
    EXPECT_TRUE(kernel) << "expected KERNEL32.dll among the imports:" << all;
}

TEST_P(BuiltProgram, VersionResourceNamesTarvikAtTheProjectVersion) {
    const auto versions = file_->ResourcesOfType(kRtVersion);
    ASSERT_EQ(versions.size(), 1u) << "expected one version resource, found " << versions.size();
    std::string error;
    const auto info = ParseVersionInfo(versions[0]->data, &error);
    ASSERT_TRUE(info) << "expected a well-formed VS_VERSIONINFO: " << error;
    EXPECT_TRUE(info->fixedInfoValid) << "expected a VS_FIXEDFILEINFO with signature 0xFEEF04BD";
    const std::string quad = TARVIK_VERSION ".0";
    EXPECT_EQ(info->fileVersion, quad) << "expected the numeric file version " << quad;
    EXPECT_EQ(info->productVersion, quad) << "expected the numeric product version " << quad;
    // A link time in the header would make every build of one commit differ.
    EXPECT_EQ(file_->TimeDateStamp(), 0u) << "expected no link time stamp in the PE header";

    std::string keys;
    const std::map<std::string, std::string>* table = nullptr;
    for (const auto& [key, strings] : info->stringTables) {
        keys += " \"" + key + "\"";
        if (Lower(key) == "040904b0") table = &strings;
    }
    ASSERT_NE(table, nullptr) << "expected a string table \"040904B0\" (US English, Unicode); tables:" << keys;
    const std::pair<const char*, const char*> expected[] = {{"ProductName", "Tarvik"},
                                                            {"InternalName", "Tarvik"},
                                                            {"OriginalFilename", "Tarvik.exe"},
                                                            {"FileVersion", TARVIK_VERSION},
                                                            {"ProductVersion", TARVIK_VERSION}};
    for (const auto& [name, value] : expected) {
        const auto it = table->find(name);
        if (it == table->end()) {
            ADD_FAILURE() << "expected " << name << " = \"" << value << "\", but the table has no " << name;
            continue;
        }
        EXPECT_EQ(it->second, value) << "expected " << name << " = \"" << value << "\", got \"" << it->second << "\"";
    }

    const bool usEnglishUnicode =
        std::find(info->translations.begin(), info->translations.end(), std::pair<std::uint16_t, std::uint16_t>{0x409, 1200}) !=
        info->translations.end();
    std::string translations;
    for (const auto& [lang, cp] : info->translations) translations += " " + Hex(lang) + "/" + std::to_string(cp);
    EXPECT_TRUE(usEnglishUnicode) << "expected the translation 0x409/1200 in VarFileInfo, found:"
                                  << (translations.empty() ? " none" : translations);
}

// The image bytes of each entry of the embedded window icon (the committed assets/window.ico), by width.
std::map<int, std::vector<std::uint8_t>> WindowIconImages(std::string* error) {
    const AssetBytes asset = EmbeddedAsset(static_cast<int>(Picture::A1));
    std::map<int, std::vector<std::uint8_t>> out;
    if (const auto ico = bitmap::ReadIco({asset.data, asset.size}, error))
        for (const bitmap::IconEntry& e : ico->entries) out[e.width].assign(e.image.begin(), e.image.end());
    return out;
}

TEST_P(BuiltProgram, IconGroupHoldsTheWindowIconAt32And16Pixels) {
    const auto groups = file_->ResourcesOfType(kRtGroupIcon);
    ASSERT_FALSE(groups.empty()) << "expected an icon group resource, found none";
    // The shell shows the first group; the resource directory keeps them in id order.
    std::string error;
    const auto entries = ParseIconGroup(groups[0]->data, &error);
    ASSERT_TRUE(entries) << "expected a well-formed icon group: " << error;
    std::string sizes;
    for (const IconGroupEntry& e : *entries) sizes += " " + std::to_string(e.width) + "x" + std::to_string(e.height);
    ASSERT_EQ(entries->size(), 2u) << "expected two icon images (32x32 and 16x16), got:" << sizes;
    std::vector<int> widths;
    for (const IconGroupEntry& e : *entries) widths.push_back(e.width);
    std::sort(widths.begin(), widths.end());
    EXPECT_EQ(widths, (std::vector<int>{16, 32})) << "expected images 32x32 and 16x16, got:" << sizes;

    const auto ico = WindowIconImages(&error);
    ASSERT_TRUE(error.empty()) << error;
    for (const IconGroupEntry& e : *entries) {
        SCOPED_TRACE("icon " + std::to_string(e.width) + "x" + std::to_string(e.height) + ", RT_ICON " +
                     std::to_string(e.iconId));
        EXPECT_EQ(e.height, e.width) << "expected a square image";
        const Resource* icon = file_->FindResource(kRtIcon, e.iconId);
        ASSERT_NE(icon, nullptr) << "the group names RT_ICON " << e.iconId << ", which the file does not hold";
        EXPECT_EQ(icon->data.size(), e.bytes) << "expected the group's byte count to match the image";
        ASSERT_GE(icon->data.size(), 40u) << "expected a BITMAPINFOHEADER";
        const auto& d = icon->data;
        const int headerWidth = d[4] | d[5] << 8, headerHeight = d[8] | d[9] << 8, bits = d[14] | d[15] << 8;
        EXPECT_EQ(headerWidth, e.width) << "image header width";
        EXPECT_EQ(headerHeight, 2 * e.width) << "expected the image height doubled for the mask";
        EXPECT_EQ(bits, 24) << "expected 24-bit colour";
        const auto source = ico.find(e.width);
        ASSERT_NE(source, ico.end()) << "assets/window.ico has no " << e.width << " pixel image";
        EXPECT_TRUE(source->second == icon->data)
            << "expected the " << e.width << " pixel image of assets/window.ico (" << source->second.size()
            << " bytes), the program holds other data (" << icon->data.size() << " bytes)";
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, BuiltProgram,
                         testing::Values(Build{"win32", TARVIK_WIN32_EXE, 0x14C},
                                         Build{"win64", TARVIK_WIN64_EXE, 0x8664}),
                         [](const testing::TestParamInfo<Build>& info) { return std::string(info.param.name); });

TEST(PeFile, RefusesAFileThatIsNotAProgram) {
    const std::string path = testing::TempDir() + "/not-a-program.exe";
    std::ofstream(path, std::ios::binary) << std::string("MZ") + std::string(126, '\0');
    File f(path);
    EXPECT_FALSE(f.Ok()) << "expected a file with an MZ header and no PE header to be refused";
    EXPECT_NE(f.Error().find("PE signature"), std::string::npos) << "expected a missing PE signature, got: " << f.Error();
}

}  // namespace
}  // namespace tarvik::pe
