// The program file's version record and icon as Windows reads them. This program is linked
// with the same resource script as conversor-unidades.exe and reads its own file back.
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>

namespace {

std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return path;
}

// The whole record, read as Explorer's properties page reads it.
const std::vector<std::byte>& record() {
    static const std::vector<std::byte> bytes = [] {
        const std::wstring path = ownPath();
        std::vector<std::byte> out(GetFileVersionInfoSizeW(path.c_str(), nullptr));
        if (out.empty() ||
            !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(out.size()), out.data())) {
            out.clear();
        }
        return out;
    }();
    return bytes;
}

// One value of the record and its size, or null where the record has none.
std::pair<const void*, UINT> value(const std::wstring& key) {
    void* data = nullptr;
    UINT size = 0;
    if (record().empty() || !VerQueryValueW(record().data(), key.c_str(), &data, &size)) {
        return {nullptr, 0};
    }
    return {data, size};
}

std::string utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(out.size() - 1); // the terminating zero
    return out;
}

constexpr DWORD kVersionMs = (TARVEL_VERSION_MAJOR << 16) | TARVEL_VERSION_MINOR;

TEST(VersionRecord, FixedPartCarriesTheProjectVersion) {
    const auto [data, size] = value(L"\\");
    ASSERT_EQ(size, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(data);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, kVersionMs);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, kVersionMs);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(VersionRecord, OneTranslationSpanishSpainUnicode) {
    const auto [data, size] = value(L"\\VarFileInfo\\Translation");
    ASSERT_EQ(size, 2 * sizeof(WORD));
    WORD pair[2];
    std::memcpy(pair, data, sizeof pair);
    EXPECT_EQ(pair[0], 0x0C0A); // Spanish (Spain), modern sort
    EXPECT_EQ(pair[1], 1200);   // UTF-16
}

struct Field {
    const wchar_t* key;
    const char* expected;
};

class StringField : public ::testing::TestWithParam<Field> {};

TEST_P(StringField, ReadsInTheSpanishUnicodeBlock) {
    const auto [data, size] = value(std::wstring(L"\\StringFileInfo\\0C0A04B0\\") + GetParam().key);
    ASSERT_NE(data, nullptr) << "no " << utf8(GetParam().key);
    EXPECT_EQ(utf8(static_cast<const wchar_t*>(data)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(VersionRecord, StringField,
                         ::testing::Values(Field{L"FileVersion", TARVEL_VERSION},
                                           Field{L"ProductVersion", TARVEL_VERSION},
                                           Field{L"FileDescription", TARVEL_DESCRIPTION},
                                           Field{L"ProductName", TARVEL_DESCRIPTION},
                                           Field{L"LegalCopyright", TARVEL_COPYRIGHT}),
                         [](const auto& info) { return utf8(info.param.key); });

// The directory of an icon group and the image it names, as the resource compiler stores them.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupDirectory {
    WORD reserved, type, count;
    GroupEntry entries[4]; // as many as the program's icon has
};
#pragma pack(pop)

template <typename T> const T* resource(LPCWSTR name, LPCWSTR type) {
    const HRSRC found = FindResourceW(nullptr, name, type);
    return found == nullptr ? nullptr
                            : static_cast<const T*>(LockResource(LoadResource(nullptr, found)));
}

// One icon: first the 32-pixel emblem in 16 colours, then larger renderings as PNG images for
// Explorer and the taskbar at high densities.
TEST(ProgramIcon, The32PixelEmblemIn16ColoursThenLargerOnes) {
    const std::wstring path = ownPath();
    EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 1u);
    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExW(path.c_str(), 0, &large, nullptr, 1), 1u);
    DestroyIcon(large);

    const auto* group = resource<GroupDirectory>(L"IDI_ICON1", RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count, 4);
    const GroupEntry& entry = group->entries[0];
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 32);
    EXPECT_EQ(entry.colours, 16);
    EXPECT_EQ(entry.bitCount, 4);
    const auto* image = resource<BITMAPINFOHEADER>(MAKEINTRESOURCEW(entry.id), RT_ICON);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->biWidth, 32);
    EXPECT_EQ(image->biHeight, 64); // colour and mask rows
    EXPECT_EQ(image->biBitCount, 4);

    const int sides[] = {64, 128, 256};
    for (int i = 1; i < 4; ++i) {
        const GroupEntry& larger = group->entries[i];
        SCOPED_TRACE(sides[i - 1]);
        EXPECT_EQ(larger.width, sides[i - 1] % 256); // 0 stands for 256
        EXPECT_EQ(larger.bitCount, 32);
        const auto* png = resource<unsigned char>(MAKEINTRESOURCEW(larger.id), RT_ICON);
        ASSERT_NE(png, nullptr);
        EXPECT_EQ(std::memcmp(png, "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ((png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]), sides[i - 1]);
    }
}

} // namespace
