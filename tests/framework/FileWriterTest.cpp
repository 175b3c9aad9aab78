#include "framework/FileWriter.h"

#include "framework/Exceptions.h"
#include "tests/framework/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

int CreateErrorOf(const std::string& path)
{
    TFileWriter writer;
    try {
        writer.Create(path);
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Erreur E/S " + std::to_string(e.ErrorCode()));
        EXPECT_FALSE(writer.IsOpen());
        return e.ErrorCode();
    }
    return 0;
}

TEST(FileWriter, ErrnoMapsToWindowsErrorNumbers)
{
    // Every errno that creating, writing, truncating or closing a file can give, with the
    // number Windows reports in its place.
    const std::pair<int, int> expected[] = {
        {ENOENT, 2},        {ENOTDIR, 3},    {EACCES, 5},       {EPERM, 5},        {EISDIR, 5},
        {EROFS, 19},        {EBUSY, 32},     {ETXTBSY, 32},     {EWOULDBLOCK, 32}, {ENOSPC, 112},
        {EDQUOT, 112},      {EFBIG, 223},    {EOVERFLOW, 223},  {ENAMETOOLONG, 206}, {ELOOP, 1921},
        {EMFILE, 4},        {ENFILE, 4},     {ENOLCK, 36},      {ENOMEM, 8},       {EIO, 1117},
        {EUCLEAN, 1392},    {ENXIO, 20},     {ENODEV, 20},      {ENOMEDIUM, 21},   {EOPNOTSUPP, 50},
        {EINVAL, 87},       {EBADF, 6},      {EPIPE, 232},      {ETIMEDOUT, 121},  {ESTALE, 59},
        {ENOTCONN, 59},     {ECONNRESET, 59}, {EHOSTDOWN, 59},  {ENETUNREACH, 59}, {EREMOTEIO, 59},
    };
    for (const auto& [errnoValue, windowsError] : expected)
        EXPECT_EQ(WindowsErrorFromErrno(errnoValue), windowsError) << "errno " << errnoValue;
    // A missing name on the way to a file being created is its folder.
    EXPECT_EQ(WindowsErrorFromErrno(ENOENT, TMissingName::Folder), 3);
    EXPECT_EQ(WindowsErrorFromErrno(EACCES, TMissingName::Folder), 5);
    // Anything else is the general failure, never a Linux number.
    EXPECT_EQ(WindowsErrorFromErrno(ECHILD), 31);
    EXPECT_EQ(WindowsErrorFromErrno(0), 31);
    EXPECT_EQ(EInOutError(WindowsErrorFromErrno(EFBIG)).Message(), "Erreur E/S 223");
}

// Run in a child process that leaves SIGXFSZ as the system sets it: a write past the file-size
// limit must come back as an error rather than end the process.
void WriteBeyondTheFileSizeLimit(const std::string& path)
{
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    TFileWriter writer(128);
    writer.Create(path);
    try {
        writer.Write(Pattern(2000).data(), 2000);
    } catch (const EInOutError& e) {
        std::fprintf(stderr, "%s after %llu bytes\n", e.Message().c_str(),
                     static_cast<unsigned long long>(writer.BytesInFile()));
        std::exit(0);
    }
    std::exit(3);
}

TEST(FileWriterDeathTest, AFileSizeLimitIsReportedAsAnErrorNotASignal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder folder;
    EXPECT_EXIT(WriteBeyondTheFileSizeLimit(folder.Path("limited.kql")), ::testing::ExitedWithCode(0),
                "Erreur E/S 223 after 1000 bytes");
}

TEST(FileWriter, BytesCrossBufferBoundariesInOrder)
{
    TempFolder folder;
    const std::string expected = Pattern(3 * 5240 + 77);
    TFileWriter writer(128);
    writer.Create(folder.Path("movie.kql"));
    std::size_t at = 0;
    // Single bytes and chunks that end before, on and after a buffer boundary.
    for (std::size_t chunk : {1u, 126u, 1u, 128u, 129u, 255u, 5000u}) {
        writer.Write(expected.data() + at, chunk);
        at += chunk;
        EXPECT_EQ(writer.Position(), at);
        EXPECT_EQ(writer.BytesInFile() % 128, 0u);
        EXPECT_LE(writer.BufferedBytes(), 127u);
    }
    while (at < expected.size())
        writer.WriteByte(static_cast<std::uint8_t>(expected[at++]));
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(TempFolder::ReadFile(folder.Path("movie.kql")), expected);
    writer.Close(); // closing twice is harmless
}

TEST(FileWriter, CreateReplacesAnExistingFile)
{
    TempFolder folder;
    folder.WriteFile("clip.kql", std::string(1000, 'x'));
    TFileWriter writer;
    writer.Create(folder.Path("clip.kql"));
    writer.Write("abc", 3);
    writer.Close();
    EXPECT_EQ(TempFolder::ReadFile(folder.Path("clip.kql")), "abc");
}

TEST(FileWriter, CreateFailuresCarryWindowsErrorNumbers)
{
    TempFolder folder;
    folder.WriteFile("plain", "x");
    EXPECT_EQ(CreateErrorOf(folder.Path("missing/clip.kql")), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CreateErrorOf(folder.Path("plain/clip.kql")), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CreateErrorOf(folder.Path()), ERROR_ACCESS_DENIED);

    // A second writer of a file that is being written is refused, and the first writer's
    // content survives the attempt.
    TFileWriter first;
    first.Create(folder.Path("busy.kql"));
    first.Write("12345", 5);
    first.Flush();
    EXPECT_EQ(CreateErrorOf(folder.Path("busy.kql")), ERROR_SHARING_VIOLATION);
    first.Close();
    EXPECT_EQ(TempFolder::ReadFile(folder.Path("busy.kql")), "12345");

    // sysfs refuses new files even to root: access denied, or write protected when it is
    // mounted read-only.
    if (::access("/sys", F_OK) == 0) {
        const int error = CreateErrorOf("/sys/quellon-test.kql");
        EXPECT_TRUE(error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) << error;
    }

    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not apply to root";
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0500), 0);
    EXPECT_EQ(CreateErrorOf(folder.Path("denied.kql")), ERROR_ACCESS_DENIED);
    ::chmod(folder.Path().c_str(), 0700);
}

TEST(FileWriter, FullDeviceKeepsBufferedBytesForRetry)
{
    TFileWriter writer(128);
    writer.Create("/dev/full");
    writer.Write(Pattern(100).data(), 100); // fits in the buffer: no error yet
    try {
        writer.Flush();
        FAIL() << "flush to a full device succeeded";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ERROR_DISK_FULL);
        EXPECT_EQ(e.Message(), "Erreur E/S 112");
    }
    EXPECT_EQ(writer.BytesInFile(), 0u);
    EXPECT_EQ(writer.BufferedBytes(), 100u);

    EXPECT_THROW(writer.Close(), EInOutError);
    EXPECT_TRUE(writer.IsOpen()) << "a failed close must leave the writer usable";
    EXPECT_EQ(writer.BufferedBytes(), 100u);

    // Filling the buffer reports the failure from the write that filled it.
    EXPECT_THROW(writer.Write(Pattern(28).data(), 28), EInOutError);
    EXPECT_EQ(writer.Position(), 128u);

    writer.Truncate(0);
    EXPECT_EQ(writer.BufferedBytes(), 0u);
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
}

// The file-size limit makes the kernel accept part of a write and refuse the rest, the
// same way a disk that fills up in the middle of a buffer does.
TEST(FileWriter, PartialWriteIsAccountedAndCanBeCutBack)
{
    TempFolder folder;
    const std::string bytes = Pattern(400);
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 300;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);

    TFileWriter writer(128);
    writer.Create(folder.Path("part.kql"));
    int error = 0;
    std::size_t accepted = 0;
    for (; accepted < bytes.size(); ++accepted) {
        try {
            writer.WriteByte(static_cast<std::uint8_t>(bytes[accepted]));
        } catch (const EInOutError& e) {
            error = e.ErrorCode();
            ++accepted; // the byte that filled the buffer was taken
            break;
        }
    }
    EXPECT_EQ(error, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(accepted, 384u);
    EXPECT_EQ(writer.BytesInFile(), 300u);
    EXPECT_EQ(writer.BufferedBytes(), 84u);

    writer.Truncate(256); // back to the end of the last complete block
    EXPECT_EQ(writer.BytesInFile(), 256u);
    EXPECT_EQ(writer.BufferedBytes(), 0u);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    writer.Write(bytes.data() + 256, 10);
    writer.Close();
    EXPECT_EQ(TempFolder::ReadFile(folder.Path("part.kql")), bytes.substr(0, 266));
}

TEST(FileWriter, TruncateInsideBufferAndInsideFile)
{
    TempFolder folder;
    const std::string bytes = Pattern(300);
    TFileWriter writer(128);
    writer.Create(folder.Path("t.kql"));
    writer.Write(bytes.data(), 300);
    ASSERT_EQ(writer.BytesInFile(), 256u);
    writer.Truncate(290); // inside the buffer
    EXPECT_EQ(writer.Position(), 290u);
    EXPECT_EQ(writer.BytesInFile(), 256u);
    writer.Truncate(1000); // beyond the end: nothing changes
    EXPECT_EQ(writer.Position(), 290u);
    writer.Truncate(100); // inside the file
    EXPECT_EQ(writer.Position(), 100u);
    writer.Write("Z", 1);
    writer.Close();
    EXPECT_EQ(TempFolder::ReadFile(folder.Path("t.kql")), bytes.substr(0, 100) + "Z");
    EXPECT_THROW(writer.Write("Z", 1), EInvalidOperation);
}

} // namespace
