#include "platform/Archive.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/PlatformText.h"
#include "testsupport/ScratchDir.h"
#include "testsupport/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {

std::vector<uint8_t> StoredString(const std::string& s) {
    Archive ar = Archive::ForStoring();
    ar << s;
    return ar.Bytes();
}

TEST(Archive, ScalarsAreLittleEndianAndRaw) {
    Archive ar = Archive::ForStoring();
    ar << int16_t(-2) << uint16_t(0x0502) << int32_t(42) << uint32_t(0xEFFFFFFF) << 1.5;
    const std::vector<uint8_t> want = {0xFE, 0xFF, 0x02, 0x05, 0x2A, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xEF,
                                       0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
    EXPECT_EQ(ar.Bytes(), want);

    Archive in = Archive::ForLoading(ar.Bytes());
    int16_t a;
    uint16_t b;
    int32_t c;
    uint32_t d;
    double e;
    in >> a >> b >> c >> d >> e;
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 0x0502);
    EXPECT_EQ(c, 42);
    EXPECT_EQ(d, 0xEFFFFFFFu);
    EXPECT_EQ(e, 1.5);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_TRUE(in.IsLoading());
    EXPECT_FALSE(in.IsStoring());
}

TEST(Archive, StringLengthPrefixes) {
    EXPECT_EQ(StoredString(""), std::vector<uint8_t>{0x00});

    auto b254 = StoredString(std::string(254, 'a'));
    ASSERT_EQ(b254.size(), 255u);
    EXPECT_EQ(b254[0], 0xFE);
    EXPECT_EQ(b254[1], 'a');

    auto b255 = StoredString(std::string(255, 'b'));
    ASSERT_EQ(b255.size(), 3u + 255u);
    EXPECT_EQ((std::vector<uint8_t>(b255.begin(), b255.begin() + 4)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0x00, 'b'}));

    auto b300 = StoredString(std::string(300, 'c'));
    ASSERT_EQ(b300.size(), 3u + 300u);
    EXPECT_EQ((std::vector<uint8_t>(b300.begin(), b300.begin() + 3)), (std::vector<uint8_t>{0xFF, 0x2C, 0x01}));

    auto b70000 = StoredString(std::string(70000, 'd'));
    ASSERT_EQ(b70000.size(), 7u + 70000u);
    EXPECT_EQ((std::vector<uint8_t>(b70000.begin(), b70000.begin() + 7)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));

    // 0xFFFD is the last length with the 16-bit form.
    auto bFFFD = StoredString(std::string(0xFFFD, 'e'));
    EXPECT_EQ((std::vector<uint8_t>(bFFFD.begin(), bFFFD.begin() + 3)), (std::vector<uint8_t>{0xFF, 0xFD, 0xFF}));
    auto bFFFE = StoredString(std::string(0xFFFE, 'e'));
    EXPECT_EQ((std::vector<uint8_t>(bFFFE.begin(), bFFFE.begin() + 7)),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}));

    for (size_t n : {0u, 1u, 254u, 255u, 300u, 0xFFFDu, 0xFFFEu, 0xFFFFu, 70000u}) {
        std::string s(n, 'x');
        if (n) s[n - 1] = 'y';
        Archive in = Archive::ForLoading(StoredString(s));
        EXPECT_EQ(in.ReadString(), s) << n;
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(Archive, TruncatedInputThrowsEndOfFile) {
    Archive in = Archive::ForLoading({0x01, 0x02, 0x03});
    EXPECT_THROW(in.ReadInt32(), ArchiveEndOfFile);
    EXPECT_THROW(in.ReadByte(), ArchiveEndOfFile);  // stays at the end

    Archive empty = Archive::ForLoading({});
    EXPECT_THROW(empty.ReadDouble(), ArchiveEndOfFile);

    // A string that claims more than the file holds is an error, never a huge allocation.
    Archive huge = Archive::ForLoading({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    EXPECT_THROW(huge.ReadString(), ArchiveEndOfFile);
    Archive cut = Archive::ForLoading({0x05, 'a', 'b'});
    EXPECT_THROW(cut.ReadString(), ArchiveEndOfFile);
    Archive cutPrefix = Archive::ForLoading({0xFF, 0x10});
    EXPECT_THROW(cutPrefix.ReadString(), ArchiveEndOfFile);
}

TEST(Archive, OptionalTrailingMembersAreReadUntilTheEnd) {
    Archive out = Archive::ForStoring();
    out << int32_t(kFileFormatCurrent) << std::string("ja");
    Archive in = Archive::ForLoading(out.Bytes());
    EXPECT_EQ(in.ReadInt32(), 42);
    EXPECT_EQ(in.ReadString(), "ja");
    int32_t partLoad = 1;
    try {
        partLoad = in.ReadInt32();
    } catch (const ArchiveEndOfFile&) {
        partLoad = 1;
    }
    EXPECT_EQ(partLoad, 1);
}

TEST(Archive, WrongDirectionIsAnError) {
    Archive out = Archive::ForStoring();
    EXPECT_THROW(out.ReadInt16(), ArchiveError);
    Archive in = Archive::ForLoading({});
    EXPECT_THROW(in.WriteInt16(1), ArchiveError);
}

TEST(Archive, FilesAreReplacedWhole) {
    const ScratchDir scratch("vxarch");
    const std::string dir = scratch.Path();
    ASSERT_FALSE(dir.empty());
    // A typed name becomes a file name in UTF-8.
    std::string path = JoinPath(dir, PathFromText("Prüfung.kfx"));
    Archive out = Archive::ForStoring();
    out << int32_t(42) << std::string("Größe");
    ASSERT_TRUE(SaveArchiveFile(path, out));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(LoadArchiveFile(path, bytes), ArchiveFileRead::Read);
    EXPECT_EQ(bytes, out.Bytes());
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(::access((std::string(dir) + "/Pr\xC3\xBC" "fung.kfx").c_str(), F_OK), 0);

    // A directory that cannot be written leaves nothing behind and reports false.
    EXPECT_FALSE(SaveArchiveFile(JoinPath(dir, "fehlt/x.kfx"), out));
    EXPECT_EQ(LoadArchiveFile(JoinPath(dir, "fehlt.kfx"), bytes), ArchiveFileRead::NotOpened);
    RemoveFile(path);
}

TEST(Archive, SavingThroughSymbolicLinksReplacesWhatTheyLeadTo) {
    const ScratchDir scratch("vxlink");
    const std::string d = scratch.Path();
    ASSERT_FALSE(d.empty());
    ASSERT_TRUE(MakeDirs(d + "/Daten"));
    ASSERT_TRUE(WriteFileAtomic(d + "/Daten/echt.kfx", "alt"));
    ASSERT_EQ(::chmod((d + "/Daten/echt.kfx").c_str(), 0600), 0);
    // A relative link, a link to that link, and an absolute one from another folder.
    ASSERT_EQ(::symlink("Daten/echt.kfx", (d + "/relativ.kfx").c_str()), 0);
    ASSERT_EQ(::symlink("relativ.kfx", (d + "/kette.kfx").c_str()), 0);
    ASSERT_TRUE(MakeDirs(d + "/anderswo"));
    ASSERT_EQ(::symlink((d + "/kette.kfx").c_str(), (d + "/anderswo/absolut.kfx").c_str()), 0);
    int n = 0;
    for (const char* link : {"/relativ.kfx", "/kette.kfx", "/anderswo/absolut.kfx"}) {
        Archive out = Archive::ForStoring();
        out << int32_t(++n);
        ASSERT_TRUE(SaveArchiveFile(d + link, out)) << link;
        struct stat st;
        ASSERT_EQ(::lstat((d + link).c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
        std::vector<uint8_t> bytes;
        ASSERT_EQ(LoadArchiveFile(d + "/Daten/echt.kfx", bytes), ArchiveFileRead::Read);
        EXPECT_EQ(bytes, out.Bytes()) << link;
        ASSERT_EQ(::stat((d + "/Daten/echt.kfx").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    // A link to a file not yet there makes that file.
    ASSERT_EQ(::symlink("Daten/neu.kfx", (d + "/neu.kfx").c_str()), 0);
    ASSERT_TRUE(SaveArchiveFile(d + "/neu.kfx", Archive::ForStoring()));
    EXPECT_TRUE(FileExists(d + "/Daten/neu.kfx"));
}

TEST(Archive, FilesBeyondTheLimitAreNeverRead) {
    const ScratchDir scratch("vxhuge");
    const std::string d = scratch.Path();
    ASSERT_FALSE(d.empty());
    std::vector<uint8_t> bytes = {1};
    ASSERT_TRUE(MakeSparseFile(d + "/zehn.kfx", 10, "0123456789"));
    EXPECT_EQ(LoadArchiveFile(d + "/zehn.kfx", bytes, 10), ArchiveFileRead::Read);
    EXPECT_EQ(bytes.size(), 10u);
    EXPECT_EQ(LoadArchiveFile(d + "/zehn.kfx", bytes, 9), ArchiveFileRead::TooLarge);
    EXPECT_TRUE(bytes.empty());

    // 2 GB of hole: the damaged-file message, and nothing read, also where
    // the address space could not hold the file twice.
    const std::string huge = d + "/gross.kfx";
    ASSERT_TRUE(MakeSparseFile(huge, int64_t(2) << 30, std::string("\x2A\0\0\0", 4)));
    {
        ScopedScriptedMessages messages;
        EXPECT_FALSE(LoadDocumentFile(huge, bytes));
        ASSERT_EQ(messages.service.shown.size(), 1u);
        EXPECT_EQ(messages.service.shown[0].text, PlatformText(IDS_DATEI_BESCHAEDIGT));
        EXPECT_TRUE(bytes.empty());
    }
#if !defined(__SANITIZE_ADDRESS__)
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{rlim_t(3) << 30, rlim_t(3) << 30};
        ::setrlimit(RLIMIT_AS, &limit);
        ScopedScriptedMessages messages;
        std::vector<uint8_t> read;
        const bool refused = !LoadDocumentFile(huge, read) && messages.service.shown.size() == 1 &&
                             messages.service.shown[0].text == PlatformText(IDS_DATEI_BESCHAEDIGT);
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

} // namespace
} // namespace vx
