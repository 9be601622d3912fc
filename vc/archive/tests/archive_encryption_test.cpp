// Encrypted archives: the password cycle, adding and removing encryption,
// encryption under compression, the permission checks, the password
// callback and the private plain copy.
#include "vc/archive/archive_password.h"
#include "vc/error_codes.h"
#include "vc/tests/info_test_support.h"

#include <filesystem>
#include <sys/stat.h>

using namespace info_test;

namespace {

struct EncryptionTest : InfoTest {
  void SetUp() override {
    InfoTest::SetUp();
    ASSERT_EQ(vcSetSysInfo(99, "alice"), 0);
    ::setenv("TMPDIR", dir.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TMPDIR");
    InfoTest::TearDown();
  }
  // The texts of the fixture as the archive model gives them.
  std::string plainTexts() {
    int h = openText(kTree, "plain.v", 1);
    std::string t = archive_test::dumpTexts(inst(), *rec(h));
    vcCloseArchive(h);
    return t;
  }
  // Encrypts the fixture under the password into tree.v.
  void encrypt(const char* password, bool compress = false) {
    int h = openText(kTree);
    if (compress) {
      ASSERT_EQ(vcSetArchiveInfo(h, 45, "15", nullptr), 0);
    }
    ASSERT_EQ(vcSetPassword(h, password), 0);
    EXPECT_EQ(byte(h, 7), 1);
    EXPECT_EQ(byte(h, 13), 1);
    ASSERT_EQ(vcCommitArchive(h, 1), 0);
  }
  std::vector<std::string> tempLeftovers() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.path().extension() == ".$$$") out.push_back(e.path().string());
    return out;
  }
};

TEST_F(EncryptionTest, PasswordCycle) {
  const std::string texts = plainTexts();
  encrypt("open sesame");
  const std::string file = readFile(path("tree.v"));
  ASSERT_EQ(file.substr(0, 10), "#!encrypt\n");
  EXPECT_EQ(file.find("line two"), std::string::npos);
  EXPECT_EQ(file.find("alice"), std::string::npos);

  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), vc::err::kEncryptedFile);
  EXPECT_EQ(str(h, 8), "<21>");
  EXPECT_EQ(vcSetPassword(h, "wrong"), vc::err::kIncorrectPassword);
  EXPECT_EQ(vcSetPassword(h, "oPen sesame"), vc::err::kIncorrectPassword);
  EXPECT_EQ(str(h, 8), "<21>");
  EXPECT_EQ(vcSetPassword(h, "open sesame"), 0);
  EXPECT_EQ(byte(h, 13), 0);
  EXPECT_EQ(str(h, 8), "1.3");
  EXPECT_EQ(archive_test::dumpTexts(inst(), *rec(h)), texts);
  EXPECT_EQ(vcSetPassword(99, "x"), vc::err::kBadArchiveHandle);
  vcCloseArchive(h);

  // Only the first eight characters count.
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), vc::err::kEncryptedFile);
  EXPECT_EQ(vcSetPassword(h, "open seZZZZZ"), vc::err::kIncorrectPassword);
  EXPECT_EQ(vcSetPassword(h, "open sesZZZZ"), 0);
  vcCloseArchive(h);
}

TEST_F(EncryptionTest, ChangesCommitEncryptedAndRemovingWritesPlain) {
  const std::string texts = plainTexts();
  encrypt("pw");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), vc::err::kEncryptedFile);
  ASSERT_EQ(vcSetPassword(h, "pw"), 0);
  ASSERT_EQ(vcSetArchiveInfo(h, 19, "secret_label", "1.2"), 0);
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_EQ(readFile(path("tree.v")).substr(0, 10), "#!encrypt\n");
  EXPECT_EQ(str(h, 11), "secret_label 1.2");  // read from the new plain copy
  EXPECT_EQ(archive_test::dumpTexts(inst(), *rec(h)), texts);
  // A new password for a readable archive.
  ASSERT_EQ(vcSetPassword(h, "other"), 0);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), vc::err::kEncryptedFile);
  EXPECT_EQ(vcSetPassword(h, "pw"), vc::err::kIncorrectPassword);
  ASSERT_EQ(vcSetPassword(h, "other"), 0);
  // Removing the password.
  ASSERT_EQ(vcSetPassword(h, nullptr), 0);
  EXPECT_EQ(byte(h, 7), 0);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(path("tree.v")).substr(0, 4), "head");
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), 0);
  EXPECT_EQ(archive_test::dumpTexts(inst(), *rec(h)), texts);
  vcCloseArchive(h);
  EXPECT_TRUE(tempLeftovers().empty());
}

TEST_F(EncryptionTest, EncryptedAndCompressed) {
  const std::string texts = plainTexts();
  encrypt("zipped", true);
  const std::string file = readFile(path("tree.v"));
  EXPECT_EQ(file.substr(0, 3), std::string("\x1f\x8b\x08", 3));
  EXPECT_EQ(std::system(("gzip -t '" + path("tree.v") + "'").c_str()), 0);
  ASSERT_EQ(std::system(("gzip -dc < '" + path("tree.v") + "' | head -c 10 > '" + path("lead") + "'").c_str()), 0);
  EXPECT_EQ(readFile(path("lead")), "#!encrypt\n");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), vc::err::kEncryptedFile);
  EXPECT_EQ(vcSetPassword(h, "zipper"), vc::err::kIncorrectPassword);
  ASSERT_EQ(vcSetPassword(h, "zipped"), 0);
  EXPECT_EQ(byte(h, 5), 15);
  EXPECT_EQ(archive_test::dumpTexts(inst(), *rec(h)), texts);
  // Compression off, encryption kept.
  ASSERT_EQ(vcSetArchiveInfo(h, 45, "0", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(path("tree.v")).substr(0, 10), "#!encrypt\n");
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), vc::err::kEncryptedFile);
  ASSERT_EQ(vcSetPassword(h, "zipped"), 0);
  EXPECT_EQ(archive_test::dumpTexts(inst(), *rec(h)), texts);
}

TEST_F(EncryptionTest, AddingAndRemovingNeedThePermission) {
  int h = openText(kTree);
  deniedPermissions() = {"encryptarchive"};
  EXPECT_EQ(vcSetPassword(h, "pw"), vc::err::kDenyAddEncryption);
  EXPECT_EQ(byte(h, 7), 0);
  EXPECT_EQ(vcSetPassword(h, nullptr), 0);  // nothing to remove
  vcCloseArchive(h);
  deniedPermissions().clear();
  encrypt("pw");
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), vc::err::kEncryptedFile);
  deniedPermissions() = {"encryptarchive"};
  EXPECT_EQ(vcSetPassword(h, "pw"), 0);  // reading needs no permission
  EXPECT_EQ(vcSetPassword(h, nullptr), vc::err::kDenyRemoveEncryption);
  EXPECT_EQ(byte(h, 7), 1);
}

TEST_F(EncryptionTest, PlainCopyIsPrivateAndGoesWithTheArchive) {
  encrypt("pw");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), vc::err::kEncryptedFile);
  ASSERT_EQ(vcSetPassword(h, "pw"), 0);
  // The copy has no name in the temporary directory, only its descriptor.
  const std::string copy = rec(h)->plainCopy.path;
  ASSERT_FALSE(copy.empty());
  EXPECT_FALSE(rec(h)->plainCopy.named);
  EXPECT_EQ(std::filesystem::read_symlink(copy).parent_path().string(), dir);  // in the temporary directory
  struct stat st {};
  ASSERT_EQ(::fstat(rec(h)->plainCopy.fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_nlink, 0u);
  EXPECT_NE(readFile(copy).find("line two"), std::string::npos);
  EXPECT_TRUE(tempLeftovers().empty());
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_TRUE(tempLeftovers().empty());
  // A wrong password leaves no copy behind either.
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), vc::err::kEncryptedFile);
  EXPECT_EQ(vcSetPassword(h, "nope"), vc::err::kIncorrectPassword);
  EXPECT_TRUE(rec(h)->plainCopy.path.empty());
  EXPECT_TRUE(tempLeftovers().empty());
}

// The password callback as the library's own callers use it.
std::string g_answer;
int g_refuse = 0;
int g_calls = 0;
std::string g_name;
int answerPassword(int, const char* name, char* buffer, int length) {
  ++g_calls;
  g_name = name;
  if (g_refuse) return g_refuse;
  std::snprintf(buffer, static_cast<std::size_t>(length), "%s", g_answer.c_str());
  return 0;
}

TEST_F(EncryptionTest, PasswordCallback) {
  encrypt("callback");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 1), vc::err::kEncryptedFile);
  EXPECT_EQ(vc::passwordFromCallback(inst(), h), vc::err::kEncryptedFile);  // none registered
  ASSERT_EQ(vcRegisterPasswdCallback(answerPassword), 0);
  g_refuse = 1;
  EXPECT_EQ(vc::passwordFromCallback(inst(), h), vc::err::kEncryptedFile);
  g_refuse = 0;
  g_answer = "wrong";
  EXPECT_EQ(vc::passwordFromCallback(inst(), h), vc::err::kIncorrectPassword);
  g_answer = "callback";
  EXPECT_EQ(vc::passwordFromCallback(inst(), h), 0);
  EXPECT_EQ(g_calls, 3);
  EXPECT_EQ(g_name, path("tree.v"));
  EXPECT_EQ(vc::passwordFromCallback(inst(), h), 0);  // readable: not asked again
  EXPECT_EQ(g_calls, 3);
  EXPECT_EQ(str(h, 8), "1.3");
}

}  // namespace
