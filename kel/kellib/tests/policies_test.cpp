// Options, policies, attributes, fragments and security objects.
#include "kel/kellib/fragments.h"
#include "kel/kellib/tests/kel_fixture.h"
#include "platform/sys/fault_injection.h"

#include <cstring>
#include <fstream>
#include <unistd.h>

namespace {

using kel::TextList;
using kel_test::exists;
using kel_test::firstList;
using kel_test::listsOf;
using kel_test::names;

class KelPolicies : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    OpenDatabase::SetUp();
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_PROJECT, names({"proj", "other"}).c_str(), 1), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_ROLE, "Dev", 0), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "alice", 0), KEL_SUCCESS);
  }
};

struct Option {
  int rc;
  int flags;
  std::string value;  // "(none)" when no value
};

Option getOption(int objectKind, const char* object, const char* key) {
  char* value = nullptr;
  int flags = -1;
  Option o;
  o.rc = kelGetOption(1, "", objectKind, object, key, &value, &flags);
  o.flags = flags;
  o.value = value ? value : "(none)";
  kelFree(value);
  return o;
}

TEST_F(KelPolicies, OptionLookupTable) {
  const char* entries[] = {"CheckInAll", "EnforceNoLock", "LockStates = Exp", "Promote=Rel,Beta", "NoCheckIn",
                           "Tabbed\tvalue", "Enforcebuild=make all"};
  for (const char* e : entries) ASSERT_EQ(kelAddObject(1, "", KEL_ROLE, "Dev", KEL_PERMISSION, e, 0), KEL_SUCCESS);
  struct Case {
    const char* key;
    int rc, flags;
    const char* value;
  } cases[] = {
      {"CheckIn", 0, 1, "(none)"},  // "NoCheckIn", not "CheckInAll"
      {"checkinall", 0, 0, "(none)"},
      {"Lock", 0, 5, "(none)"},
      {"LockStates", 0, 0, " Exp"},  // the text after "=" as it stands
      {"Promote", 0, 0, "Rel,Beta"},
      {"Tabbed", 0, 0, "(none)"},
      {"Build", 0, 4, "make all"},
      {"Check", 22, 2, "(none)"},
      {"Demote", 22, 2, "(none)"},
  };
  for (const auto& c : cases) {
    Option o = getOption(KEL_ROLE, "Dev", c.key);
    EXPECT_EQ(o.rc, c.rc) << c.key;
    EXPECT_EQ(o.flags, c.flags) << c.key;
    EXPECT_EQ(o.value, c.value) << c.key;
  }
  EXPECT_EQ(getOption(KEL_USER, "alice", "x").rc, KEL_INVALID_ARGUMENT);
  EXPECT_EQ(getOption(KEL_ROLE, "Nobody", "x").rc, KEL_NOT_FOUND);
}

TEST_F(KelPolicies, SetOptionJoinsWithEqualsAndReplacesTheKey) {
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Compress", nullptr), KEL_SUCCESS);
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Editor", "vi"), KEL_SUCCESS);
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "NoCompress", nullptr), KEL_SUCCESS);
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Editor", "emacs -nw"), KEL_SUCCESS);
  EXPECT_EQ(firstList(1, "", KEL_POLICY_STATEMENT, "Policy Statement"), (TextList{"NoCompress", "Editor=emacs -nw"}));
  ASSERT_EQ(kelSetOption(1, "", 6, "Dev", "EnforceAllowedStates", "Exp,Rel"), KEL_SUCCESS);
  Option o = getOption(KEL_ROLE, "Dev", "AllowedStates");
  EXPECT_EQ(o.flags, 4);
  EXPECT_EQ(o.value, "Exp,Rel");
  EXPECT_EQ(kelSetOption(1, "", 3, "alice", "x", nullptr), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelSetOption(1, "", 6, "Dev", nullptr, "v"), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelSetOption(1, "", 6, "Nobody", "CheckIn", nullptr), KEL_NOT_FOUND);
  EXPECT_EQ(kelSetOption(2, "proj", 5, "Policy Statement", "Sparse", nullptr), KEL_SUCCESS);
  EXPECT_EQ(firstList(2, "proj", KEL_POLICY_STATEMENT, "Policy Statement"), (TextList{"Sparse"}));
}

TEST_F(KelPolicies, GetPolicyCopiesTheLists) {
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Compress", nullptr), KEL_SUCCESS);
  ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "frag", "x", 0), KEL_SUCCESS);
  char* lists = nullptr;
  ASSERT_EQ(kelGetPolicy(1, "", 5, "Policy Statement", &lists), KEL_SUCCESS);
  const char want[] = "Compress\0\0frag\0\0";
  EXPECT_EQ(std::memcmp(lists, want, sizeof want), 0);
  kelFree(lists);
  ASSERT_EQ(kelGetPolicy(1, "", 6, "DefaultUnregisteredUser", &lists), KEL_SUCCESS);
  EXPECT_EQ(lists[0], '\0');
  kelFree(lists);
  EXPECT_EQ(kelGetPolicy(1, "", 6, "Dev", nullptr), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelGetPolicy(1, "", 4, "Dev", &lists), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelGetPolicy(2, "nosuch", 5, "Policy Statement", &lists), KEL_NOT_FOUND);
}

TEST_F(KelPolicies, DefaultPolicyLinesReplaceByKey) {
  const std::string lines = names({"AddCr", "Editor=vi", "NoStrictLocks", "Brand=New"});
  ASSERT_EQ(kelAddDefaultPolicy(lines.c_str()), KEL_SUCCESS);
  TextList policy = firstList(KEL_POLICY_STATEMENT, "Default Policy Statement");
  ASSERT_EQ(policy.size(), 66u);
  EXPECT_EQ(policy[0], "AddCr") << "replaces NoAddCr in its place";
  EXPECT_EQ(policy[18], "Editor=vi");
  EXPECT_EQ(policy[57], "NoStrictLocks");
  EXPECT_EQ(policy[65], "Brand=New");
  EXPECT_EQ(kelAddDefaultPolicy(nullptr), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelAddDefaultPolicy(""), KEL_INVALID_ARGUMENT);
}

TEST_F(KelPolicies, AttributesAreCopiedOverTheStartOfTheField) {
  const std::uint8_t four[] = {0x44, 0x33, 0x22, 0x11};
  const std::uint8_t two[] = {0xAA, 0xBB};
  ASSERT_EQ(kelSetAttribute(1, "", KEL_USER, "alice", 2, four, 4), KEL_SUCCESS);
  ASSERT_EQ(kelSetAttribute(1, "", KEL_USER, "alice", 2, two, 2), KEL_SUCCESS);
  std::uint8_t got[4] = {};
  ASSERT_EQ(kelGetAttribute(1, "", KEL_USER, "alice", 2, got, 4), KEL_SUCCESS);
  EXPECT_EQ(std::vector<std::uint8_t>(got, got + 4), (std::vector<std::uint8_t>{0xAA, 0xBB, 0x22, 0x11}));

  // Text takes at most 64 bytes.
  const std::string long_text(100, 't');
  ASSERT_EQ(kelSetAttribute(2, "proj", KEL_ROLE, "nope", 0, "x", 1), KEL_NOT_FOUND);
  ASSERT_EQ(kelSetAttribute(2, "proj", 0, nullptr, 0, long_text.c_str(), 100), KEL_SUCCESS);
  char text[64];
  ASSERT_EQ(kelGetAttribute(2, "proj", 0, nullptr, 0, text, 64), KEL_SUCCESS);
  EXPECT_EQ(std::string(text, 64), std::string(64, 't'));
  EXPECT_TRUE(exists(2, "proj")) << "the neighbouring fields are intact";

  std::int32_t attrib = 0;
  EXPECT_EQ(kelGetAttribute(1, "", 0, nullptr, 1, &attrib, 4), KEL_SUCCESS);
  EXPECT_EQ(attrib, 1) << "the global module's Attrib1";
  const std::int32_t seven = 7;
  EXPECT_EQ(kelSetAttribute(0, nullptr, KEL_PRODUCT, "Tessalyworkbench", 3, &seven, 4), KEL_SUCCESS);
  EXPECT_EQ(kelGetAttribute(0, nullptr, KEL_PRODUCT, "Tessalyworkbench", 3, &attrib, 4), KEL_SUCCESS);
  EXPECT_EQ(attrib, 7);

  struct Case {
    int attribute;
    void* buffer;
    int length;
    int want;
  } cases[] = {
      {1, got, 3, KEL_BUFFER_TOO_SMALL}, {0, text, 63, KEL_BUFFER_TOO_SMALL}, {5, got, 4, KEL_INVALID_ARGUMENT},
      {-1, got, 4, KEL_INVALID_ARGUMENT}, {1, nullptr, 4, KEL_INVALID_ARGUMENT}, {4, got, 8, KEL_SUCCESS},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kelGetAttribute(1, "", KEL_USER, "alice", c.attribute, c.buffer, c.length), c.want) << c.attribute;
  EXPECT_EQ(kelSetAttribute(1, "", KEL_USER, "alice", 5, four, 4), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelSetAttribute(1, "", KEL_USER, "alice", 1, nullptr, 4), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelGetAttribute(1, "", KEL_USER, "nobody", 1, got, 4), KEL_NOT_FOUND);
}

TEST_F(KelPolicies, FragmentsAddReplaceGetAndDelete) {
  ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "build", "line one", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "build", "line two", 0), KEL_SUCCESS);
  EXPECT_EQ(firstList(1, "", KEL_POLICY_STATEMENT, "Policy Statement").size(), 0u);
  EXPECT_EQ(listsOf(1, "", KEL_POLICY_STATEMENT, "Policy Statement")[1], (TextList{"build"}));

  kelObjectRecord* frag = nullptr;
  ASSERT_EQ(kelGetFrag(1, "", "Policy Statement", "build", &frag), KEL_SUCCESS);
  EXPECT_EQ(frag->ObjectType, KEL_FRAGMENT);
  const char want[] = "line one\0line two\0\0";
  EXPECT_EQ(std::memcmp(KEL_VARDATA(frag), want, sizeof want), 0);
  kelFree(frag);

  ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "build", "only", 1), KEL_SUCCESS);
  kel::ObjectRecord statement, fragment;
  ASSERT_EQ(kel::findObject(KEL_POLICY_STATEMENT, kel::database().globalId(), "Policy Statement", statement), 0);
  ASSERT_EQ(kel::findObject(KEL_FRAGMENT, statement.id(), "build", fragment), 0);
  EXPECT_EQ(fragment.lists(), (std::vector<TextList>{{"only"}}));

  ASSERT_EQ(kelAddFrag(2, "proj", "Policy Statement", "build", "p", 0), KEL_SUCCESS) << "per scope";
  EXPECT_EQ(kelDeleteFrag(1, "", "Policy Statement", "build"), KEL_SUCCESS);
  EXPECT_EQ(kelGetFrag(1, "", "Policy Statement", "build", nullptr), KEL_NOT_FOUND);
  EXPECT_EQ(listsOf(1, "", KEL_POLICY_STATEMENT, "Policy Statement")[1], TextList{});
  EXPECT_EQ(kelGetFrag(2, "proj", "Policy Statement", "build", nullptr), KEL_SUCCESS);
  EXPECT_EQ(kelDeleteFrag(1, "", "Policy Statement", "build"), KEL_NOT_FOUND);

  struct Case {
    int kind;
    const char *scope, *statement, *fragment, *text;
    int want;
  } cases[] = {
      {3, "x", "Policy Statement", "f", "t", KEL_INVALID_ARGUMENT},
      {2, nullptr, "Policy Statement", "f", "t", KEL_INVALID_ARGUMENT},
      {1, "", nullptr, "f", "t", KEL_INVALID_ARGUMENT},
      {1, "", "Policy Statement", "", "t", KEL_INVALID_ARGUMENT},
      {1, "", "Policy Statement", "f", nullptr, KEL_INVALID_ARGUMENT},
      {1, "", "No Statement", "f", "t", KEL_NOT_FOUND},
      {2, "nosuch", "Policy Statement", "f", "t", KEL_NOT_FOUND},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kelAddFrag(c.kind, c.scope, c.statement, c.fragment, c.text, 0), c.want) << c.kind;
  EXPECT_EQ(kelGetFrag(1, "", "No Statement", "f", nullptr), KEL_NOT_FOUND);
  EXPECT_EQ(kelGetFrag(3, "", "Policy Statement", "f", nullptr), KEL_INVALID_ARGUMENT);
}

TEST_F(KelPolicies, FragmentFromATextFile) {
  const std::string file = dir_.file("frag.txt");
  std::ofstream(file, std::ios::binary) << "first\r\nsecond\n\nlast without end";
  ASSERT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", file.c_str()), KEL_SUCCESS);
  ASSERT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", file.c_str()), KEL_SUCCESS)
      << "the first line replaces";
  kelObjectRecord* frag = nullptr;
  ASSERT_EQ(kelGetFrag(1, "", "Policy Statement", "f", &frag), KEL_SUCCESS);
  const char want[] = "first\0second\0last without end\0\0";
  EXPECT_EQ(std::memcmp(KEL_VARDATA(frag), want, sizeof want), 0);
  kelFree(frag);

  std::ofstream(file, std::ios::binary) << "ok\n" << std::string(1000, 'x') << "\n" << std::string(1001, 'y') << "\n";
  EXPECT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", file.c_str()), KEL_STRINGS_TOO_LONG);
  ASSERT_EQ(kelGetFrag(1, "", "Policy Statement", "f", &frag), KEL_SUCCESS);
  EXPECT_EQ(std::memcmp(KEL_VARDATA(frag), want, sizeof want), 0) << "unchanged";
  kelFree(frag);

  EXPECT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", dir_.file("missing").c_str()),
            KEL_CANNOT_OPEN);
  EXPECT_EQ(kelExtraError(), ENOENT);
  EXPECT_EQ(kel::importFragmentFile(1, "", "Policy Statement", nullptr, file.c_str()), KEL_INVALID_ARGUMENT);
}

TEST_F(KelPolicies, AFragmentFileThatFailsPartWayChangesNothing) {
  const std::string file = dir_.file("frag.txt");
  std::ofstream(file, std::ios::binary) << "kept\n";
  ASSERT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", file.c_str()), KEL_SUCCESS);
  // Enough lines for several reads; the second read fails.
  std::ofstream out(file, std::ios::binary);
  for (int k = 0; k < 20000; ++k) out << "line " << k << "\n";
  out.close();
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::read> eio(EIO, {.after = 1, .pathContains = "frag.txt"});
    EXPECT_EQ(kel::importFragmentFile(1, "", "Policy Statement", "f", file.c_str()), KEL_CANNOT_READ);
    EXPECT_EQ(eio.failures(), 1);
  }
  kelObjectRecord* frag = nullptr;
  ASSERT_EQ(kelGetFrag(1, "", "Policy Statement", "f", &frag), KEL_SUCCESS);
  const char want[] = "kept\0\0";
  EXPECT_EQ(std::memcmp(KEL_VARDATA(frag), want, sizeof want), 0) << "unchanged";
  kelFree(frag);
}

TEST_F(KelPolicies, SecurityObjectsAreKeptByTheirFullPath) {
  // Two directories that agree in their first 55 characters.
  const std::string stem = dir_.file(std::string(60, 'd'));
  const std::string a = stem + "/alpha", b = stem + "/beta";
  ASSERT_EQ(kelRegisterProject(a.c_str(), "proj", 1), KEL_SUCCESS);
  ASSERT_EQ(kelRegisterProject(b.c_str(), "other", 1), KEL_SUCCESS);
  ASSERT_EQ(kelRegisterProject(a.c_str(), "other", 1), KEL_SUCCESS);
  ASSERT_EQ(kelRegisterProject(a.c_str(), "other", 1), KEL_SUCCESS);
  EXPECT_EQ(listsOf(KEL_SECURITY_OBJECT, a.c_str()), (std::vector<TextList>{{a}, {"proj", "other"}}));
  EXPECT_EQ(listsOf(KEL_SECURITY_OBJECT, b.c_str()), (std::vector<TextList>{{b}, {"other"}}));

  // The stored layout: the path, an empty text, the project names, an empty text.
  kelObjectRecord* rec = nullptr;
  ASSERT_EQ(kelGetObject(KEL_SECURITY_OBJECT, b.c_str(), 0, nullptr, &rec), KEL_SUCCESS);
  EXPECT_EQ(std::strlen(rec->Name), 55u);
  const std::string layout = b + '\0' + '\0' + "other" + '\0' + '\0';
  EXPECT_EQ(std::string(KEL_VARDATA(rec), layout.size()), layout);
  kelFree(rec);

  // Found case-blind, with "\" for "/" and with "." and ".." steps.
  std::string upper = a;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(exists(KEL_SECURITY_OBJECT, upper.c_str()));
  EXPECT_TRUE(exists(KEL_SECURITY_OBJECT, (stem + "/./x/../alpha").c_str()));

  ASSERT_EQ(kelRegisterProject(a.c_str(), "proj", 0), KEL_SUCCESS);
  EXPECT_EQ(listsOf(KEL_SECURITY_OBJECT, a.c_str())[1], (TextList{"other"}));
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_SECURITY_OBJECT, b.c_str(), 0), KEL_OBJECT_EXISTS);
  EXPECT_EQ(kelDeleteObject(1, "", 0, nullptr, KEL_SECURITY_OBJECT, b.c_str(), 0), KEL_SUCCESS);
  EXPECT_FALSE(exists(KEL_SECURITY_OBJECT, b.c_str()));
  EXPECT_TRUE(exists(KEL_SECURITY_OBJECT, a.c_str()));
}

TEST_F(KelPolicies, RegisterProjectEdgeCases) {
  const std::string c = dir_.file("c");
  EXPECT_EQ(kelRegisterProject(c.c_str(), "proj", 0), KEL_NOT_FOUND);
  EXPECT_EQ(kelRegisterProject(c.c_str(), nullptr, 0), KEL_NOT_FOUND);
  // Without a project the object is made with an empty list.
  ASSERT_EQ(kelRegisterProject(c.c_str(), nullptr, 1), KEL_SUCCESS);
  EXPECT_EQ(listsOf(KEL_SECURITY_OBJECT, c.c_str()), (std::vector<TextList>{{c}, {}}));
  ASSERT_EQ(kelRegisterProject(c.c_str(), nullptr, 0), KEL_SUCCESS);
  EXPECT_TRUE(exists(KEL_SECURITY_OBJECT, c.c_str())) << "nothing changes";
  EXPECT_EQ(kelRegisterProject(c.c_str(), "Global Module", 1), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelRegisterProject(nullptr, "proj", 1), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelRegisterProject("", "proj", 1), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelRegisterProject(c.c_str(), "nosuch", 1), KEL_NOT_FOUND);
  EXPECT_EQ(kelRegisterProject("/..", "proj", 1), KEL_NO_ABSOLUTE_PATH);

  // A relative path is kept absolute.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(kelRegisterProject("rel/dir", "proj", 1), KEL_SUCCESS);
  EXPECT_EQ(listsOf(KEL_SECURITY_OBJECT, (std::string(cwd) + "/rel/dir").c_str())[0],
            (TextList{std::string(cwd) + "/rel/dir"}));
}

}  // namespace
