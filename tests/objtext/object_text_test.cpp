#include "objects/object_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/qz_image.h"
#include "objects/qz_linked_list.h"
#include "probes.h"
#include "support/temp_dir.h"

namespace {

using namespace probes;

class ObjectText : public ::testing::Test {
 protected:
  void SetUp() override {
    Qz_Init();
    registerAll();
  }
  void TearDown() override {
    EXPECT_EQ(liveObjects(), 0) << "objects left behind";
    removeAll();
    Qz_CleanUp();
  }

  // The stored text of an object tree, as a string.
  static std::string stored(Qz_Object* object) {
    size_t length = 0;
    char* buffer = Qz_StoreObjectToBuffer(object, &length, 0);
    if (!buffer) return "<store failed>";
    std::string text(buffer, length);
    EXPECT_EQ(buffer[length], '\0');
    Qz_FreeStoredObjectBuffer(reinterpret_cast<Qz_Plane>(buffer));
    return text;
  }

  // Reads text (a copy that outlives the objects) and gives the root.
  Qz_Object* read(const std::string& text) {
    texts_.emplace_back(text.begin(), text.end());
    texts_.back().push_back('\0');
    return Qz_CreateObjectsFromString(texts_.back().data());
  }

  static Qz_Object* child(Qz_Object* container, uint32_t n) {
    return reinterpret_cast<Qz_Object*>(Qz_DoMethod(container, kLinkedListMemberAt, n));
  }

  static std::string text(QzWord word) {
    return word ? reinterpret_cast<const char*>(word) : "<null>";
  }

  std::vector<std::vector<char>> texts_;
};

// A tree with a value of every kind, including the hard ones.
Qz_Object* makeSampleTree() {
  Qz_Object* root = Qz_CreateObject("Probe", kSetValue, -5, kSetHex, 0x80000001u, kRootSetObjectName,
                                    "Layer 1, copy");
  Qz_Object* inner = Qz_AddObject(root, "Probe", kSetValue, 2147483647, kSetHex, 0xFFFFFFFFu,
                                  kSetText, "line one\nline two with \"quotes\", {braces} and \\ too");
  Qz_AddObject(inner, "ProbeLeaf", kSetLeafValue, static_cast<int32_t>(INT32_MIN));
  Qz_AddObject(inner, "Probe", kSetText, "http://example.org/* not a comment */ // nor this");
  Qz_AddObject(root, "ProbeLeaf", kSetLeafValue, 0, kRootSetObjectName, "");
  return root;
}

TEST_F(ObjectText, WriterGivesTheExactTextForm) {
  Qz_Object* root = Qz_CreateObject("Probe", kSetValue, 7, kSetHex, 0x1F, kRootSetObjectName, "a");
  Qz_AddObject(root, "ProbeLeaf", kSetLeafValue, 3);
  EXPECT_EQ(stored(root),
            "Probe\n"
            "{\n"
            "\tQz_SetProbeValue,\t\t\t7,\n"
            "\tQz_SetProbeHex,\t\t\t1f,\n"
            "\tQz_SetObjectName,\t\t\ta,\n"
            "\tProbeLeaf\n"
            "\t{\n"
            "\t\tQz_SetLeafValue,\t\t\t3,\n"
            "\t}\n"
            "}\n");
  Qz_DisposeObject(root);
}

TEST_F(ObjectText, StoreAndRestoreReproduceTheTreeByteForByte) {
  Qz_Object* original = makeSampleTree();
  const std::string first = stored(original);
  Qz_DisposeObject(original);

  Qz_Object* copy = read(first);
  ASSERT_NE(copy, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(stored(copy), first);
  EXPECT_EQ(text(Qz_DoMethod(copy, kRootGetObjectName)), "Layer 1, copy");
  EXPECT_EQ(static_cast<uint32_t>(Qz_DoMethod(copy, kGetHex)), 0x80000001u);
  EXPECT_EQ(static_cast<int32_t>(Qz_DoMethod(copy, kGetValue)), -5);
  Qz_Object* inner = child(copy, 0);
  EXPECT_EQ(text(Qz_DoMethod(inner, kGetText)), "line one\nline two with \"quotes\", {braces} and \\ too");
  EXPECT_EQ(static_cast<uint32_t>(Qz_DoMethod(inner, kGetHex)), 0xFFFFFFFFu);
  EXPECT_EQ(static_cast<int32_t>(Qz_DoMethod(child(inner, 0), kGetLeafValue)), INT32_MIN);
  EXPECT_EQ(text(Qz_DoMethod(child(inner, 1), kGetText)),
            "http://example.org/* not a comment */ // nor this");
  Qz_DisposeObject(copy);
}

TEST_F(ObjectText, DiskRoundTripKeepsTheTextWithTheRoot) {
  qztest::TempDir dir;
  const std::string path = dir.file("tree.QzStr");
  Qz_Object* original = Qz_CreateObject("Probe", kSetValue, 12);
  Qz_AddObject(original, "Probe", kSetLabel, "kept in the text buffer");
  ASSERT_EQ(Qz_StoreObjectToDisk(original, path.c_str()), 1u);
  const std::string first = stored(original);
  Qz_DisposeObject(original);

  Qz_Object* restored = Qz_RestoreObjectFromDisk(path.c_str());
  ASSERT_NE(restored, nullptr) << Qz_GetObjectTextError();
  std::filesystem::remove(path);
  // The label points into the text the root keeps; it must outlive the file.
  EXPECT_EQ(text(Qz_DoMethod(child(restored, 0), kGetLabel)), "kept in the text buffer");
  EXPECT_EQ(stored(restored), first);
  Qz_DisposeObject(restored);

  EXPECT_EQ(Qz_RestoreObjectFromDisk(path.c_str()), nullptr);
  Qz_Object* another = Qz_CreateObject("Probe");
  EXPECT_EQ(Qz_StoreObjectToDisk(another, dir.file("no/such/folder").c_str()), 0u);
  Qz_DisposeObject(another);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()), 0)
      << "a temporary file was left behind";
}

TEST_F(ObjectText, StoreReplacesAnOldFileWhole) {
  qztest::TempDir dir;
  const std::string path = dir.file("prefs.QzStr");
  { std::ofstream(path) << std::string(5000, 'x'); }
  Qz_Object* object = Qz_CreateObject("Probe", kSetValue, 1);
  ASSERT_EQ(Qz_StoreObjectToDisk(object, path.c_str()), 1u);
  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), stored(object));
  Qz_DisposeObject(object);
}

TEST_F(ObjectText, CommentsLineEndsAndIndentationDoNotChangeTheTree) {
  const std::string plain =
      "Probe\n{\nQz_SetProbeValue,4,\nProbeLeaf\n{\nQz_SetLeafValue,9,\n}\n}\n";
  const std::string decorated =
      "// a layout written by hand\r\n"
      "Probe /* the root /* nested */ still comment */\r\n"
      "{\r\n"
      " \tQz_SetProbeValue,\t\t\t4, // four\r\n"
      "\t/* a child:\r\n with a line break */ProbeLeaf\r\n"
      "\t{\r\n"
      "  \t\tQz_SetLeafValue,\t9,\r\n"
      "\t}\r\n"
      "}\r\n";
  Qz_Object* a = read(plain);
  Qz_Object* b = read(decorated);
  ASSERT_NE(a, nullptr) << Qz_GetObjectTextError();
  ASSERT_NE(b, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(stored(a), stored(b));
  Qz_DisposeObject(a);
  Qz_DisposeObject(b);
}

TEST_F(ObjectText, KeywordsAndAliasesMakeTheirChildren) {
  Qz_Object* root = read(
      "Probe\n{\n"
      "Qz_Text,\"Red, green and blue\",\n"
      "Qz_MultiLineText,\"two\nlines\",\n"
      "Qz_FText,\"kept\",\n"
      "Qz_Picture,Data/Images/ToolBar/New,\n"
      "Qz_PictureNoMask,Data/Images/ToolBar/Open,\n"
      "HGroup\n{\n}\n"
      "VGroup\n{\n}\n"
      "}\n");
  ASSERT_NE(root, nullptr) << Qz_GetObjectTextError();
  ASSERT_EQ(Qz_DoMethod(root, kLinkedListCount), 7u);
  EXPECT_EQ(text(Qz_DoMethod(child(root, 0), kRootGetLabel)), "Red, green and blue");
  EXPECT_EQ(text(Qz_DoMethod(child(root, 1), kRootGetLabel)), "two\nlines");
  EXPECT_EQ(Qz_DoMethod(child(root, 1), kGetTextLines), 4u);
  EXPECT_EQ(text(Qz_DoMethod(child(root, 2), kRootGetLabel)), "\"kept\"");
  EXPECT_EQ(text(Qz_DoMethod(child(root, 3), kGetBitMapFile)), "Data/Images/ToolBar/New");
  EXPECT_EQ(Qz_DoMethod(child(root, 3), kGetBitMapNoMask), 0u);
  EXPECT_EQ(Qz_DoMethod(child(root, 4), kGetBitMapNoMask), 1u);
  EXPECT_STREQ(child(root, 5)->objectClass->name, "Group");
  EXPECT_EQ(Qz_DoMethod(child(root, 5), kGetGroupDirection), 2u);
  EXPECT_EQ(Qz_DoMethod(child(root, 6), kGetGroupDirection), 1u);
  Qz_DisposeObject(root);
}

TEST_F(ObjectText, NumbersAreReadWithThirtyTwoBitMeaning) {
  struct Case {
    const char* name;
    const char* attribute;
    const char* value;
    uint32_t expected;
  };
  const Case cases[] = {
      {"decimal", "Qz_SetProbeValue", "10", 10},
      {"negative", "Qz_SetProbeValue", "-5", 0xFFFFFFFBu},
      {"hexadecimal prefix", "Qz_SetProbeValue", "0x10", 16},
      {"octal by leading zero", "Qz_SetProbeValue", "010", 8},
      {"blanks around", "Qz_SetProbeValue", " 42 ", 42},
      {"just above the range saturates", "Qz_SetProbeValue", "2147483648", 0x7FFFFFFFu},
      {"huge saturates", "Qz_SetProbeValue", "999999999999999999999999", 0x7FFFFFFFu},
      {"huge negative saturates", "Qz_SetProbeValue", "-999999999999999999999999", 0x80000000u},
      {"hex", "Qz_SetProbeHex", "ff", 0xFF},
      {"hex with bit 31", "Qz_SetProbeHex", "80000000", 0x80000000u},
      {"hex all ones", "Qz_SetProbeHex", "0xFFFFFFFF", 0xFFFFFFFFu},
      {"hex too wide saturates", "Qz_SetProbeHex", "1FFFFFFFFFFFFFFFFFFFF", 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* probe =
        read(std::string("Probe\n{\n") + c.attribute + ",\t\t\t" + c.value + ",\n}\n");
    ASSERT_NE(probe, nullptr) << Qz_GetObjectTextError();
    const uint32_t getter = std::strcmp(c.attribute, "Qz_SetProbeHex") == 0 ? kGetHex : kGetValue;
    // Stored zero-extended: the word's upper half is clear.
    EXPECT_EQ(Qz_DoMethod(probe, getter), QzWord{c.expected});
    Qz_DisposeObject(probe);
  }
  Qz_Object* pair = read("Probe\n{\nQz_SetProbePair,-3,fff,\n}\n");
  ASSERT_NE(pair, nullptr) << Qz_GetObjectTextError();
  EXPECT_EQ(Qz_DoMethod(pair, kGetPairFirst), 0xFFFFFFFDu);
  EXPECT_EQ(Qz_DoMethod(pair, kGetPairSecond), 0xFFFu);
  Qz_DisposeObject(pair);
}

// Every string value reads back as it was written: only what the reader
// would misread is escaped, and texts written raw read as before.
TEST_F(ObjectText, StringValuesReadBackAsWritten) {
  struct Case {
    const char* name;
    std::string value;
    const char* written;  // the value as stored, when it matters
  };
  const Case cases[] = {
      {"comma", "Layer 1, copy", "Layer 1\\, copy"},
      {"line end", "two\nlines", "two\\nlines"},
      {"plain backslashes stay raw", "C:\\temp\\x", "C:\\temp\\x"},
      {"backslash before n", "C:\\new\\x", "C:\\\\new\\x"},
      {"backslash before a comma", "a\\,b", nullptr},
      {"backslash before a line end", "a\\\nb", nullptr},
      {"backslash at the end", "C:\\temp\\", "C:\\temp\\"},
      {"backslash run", "\\\\\\n\\\\", nullptr},
      {"backslash and slash", "\\/\\//\\", nullptr},
      {"line comment mark", "http://example.org", "http:\\//example.org"},
      {"block comment marks", "a/*b*/c", nullptr},
      {"slash run", "///*//", nullptr},
      {"opening brace alone", "{", "{"},
      {"closing brace alone", "}", "}"},
      {"braces", "{x} }{", nullptr},
      {"lone double quote", "12\" print", "12\" print"},
      {"quoted comma", "say \"a, b\" twice", nullptr},
      {"blanks around", "  spaced  ", nullptr},
      {"empty", "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* probe = Qz_CreateObject("Probe", kSetText, c.value.c_str());
    Qz_AddObject(probe, "ProbeLeaf", kSetLeafValue, 5);
    const std::string written = stored(probe);
    Qz_DisposeObject(probe);
    if (c.written) {
      EXPECT_NE(written.find(std::string("Qz_SetProbeText,\t\t\t") + c.written + ",\n"),
                std::string::npos)
          << written;
    }
    Qz_Object* back = read(written);
    ASSERT_NE(back, nullptr) << Qz_GetObjectTextError();
    EXPECT_EQ(text(Qz_DoMethod(back, kGetText)), c.value);
    EXPECT_EQ(Qz_DoMethod(child(back, 0), kGetLeafValue), 5u);
    EXPECT_STREQ(Qz_GetObjectTextError(), "");
    Qz_DisposeObject(back);
  }
}

// Values as earlier writers stored them, raw, read as they did then.
TEST_F(ObjectText, RawValuesOfOlderTextsReadUnchanged) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\temp\\x", "C:\\temp\\x"},
      {"C:\\temp\\", "C:\\temp\\"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"a\\tb\\rc\\\"d\\{e\\}", "a\\tb\\rc\\\"d\\{e\\}"},
      {"Qz_MultiLineText", "Qz_MultiLineText"},
  };
  for (const auto& [stored, expected] : cases) {
    SCOPED_TRACE(stored);
    Qz_Object* probe = read(std::string("Probe\r\n{\r\n\tQz_SetProbeText,\t\t\t") + stored +
                            ",\r\n}\r\n");
    ASSERT_NE(probe, nullptr) << Qz_GetObjectTextError();
    EXPECT_EQ(text(Qz_DoMethod(probe, kGetText)), expected);
    Qz_DisposeObject(probe);
  }
}

// What the reader does not know is left out and reported; the rest is kept.
TEST_F(ObjectText, UnknownPartsAreLeftOutAndReported) {
  struct Case {
    const char* name;
    std::string text;
    const char* reported;  // found in the report
    int32_t value;         // the root's value
    uint32_t children;     // the root's children
  };
  const Case cases[] = {
      {"unknown attribute", "Probe\n{\nQz_SetNoSuchThing,\t\t\t}{,\nQz_SetProbeValue,7,\n}\n",
       "Qz_SetNoSuchThing", 7, 0},
      {"a getter is no setter", "Probe\n{\nQz_GetProbeValue,1,\nQz_SetProbeValue,7,\n}\n",
       "Qz_GetProbeValue", 7, 0},
      {"an action is no setter", "Probe\n{\nQz_ProbeAction,\nQz_SetProbeValue,7,\n}\n",
       "Qz_ProbeAction", 7, 0},
      {"a drawing method is no setter", "Probe\n{\nQz_DrawObject,\nQz_SetProbeValue,7,\n}\n",
       "Qz_DrawObject", 7, 0},
      {"unknown class with its children",
       "Probe\n{\nProbe\n{\n}\nNoSuchClass\n{\nQz_SetProbeValue,1,\nProbe\n{\n}\n}\n"
       "Qz_SetProbeValue,7,\nProbeLeaf\n{\n}\n}\n",
       "NoSuchClass", 7, 2},
      {"child of a leaf", "Probe\n{\nProbeLeaf\n{\nProbe\n{\nProbe\n{\n}\n}\n}\nQz_SetProbeValue,7,\n}\n",
       "cannot hold", 7, 1},
      {"a block without a class name", "Probe\n{\n{\nQz_SetProbeValue,1,\n}\nQz_SetProbeValue,7,\n}\n",
       "without a class name", 7, 0},
      {"a number that is none", "Probe\n{\nQz_SetProbeValue,seven,\nQz_SetProbeHex,-1,\n}\n",
       "where a number belongs", 0, 0},
      {"attribute before any object", "Qz_SetProbeValue,1,\nProbe\n{\nQz_SetProbeValue,7,\n}\n",
       "outside any object", 7, 0},
      {"text and an object after the root", "Probe\n{\nQz_SetProbeValue,7,\n}\nleft,\nProbe\n{\n}\n",
       "after the outermost object", 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* root = read(c.text);
    ASSERT_NE(root, nullptr) << Qz_GetObjectTextError();
    EXPECT_NE(std::string(Qz_GetObjectTextError()).find(c.reported), std::string::npos)
        << Qz_GetObjectTextError();
    EXPECT_EQ(static_cast<int32_t>(Qz_DoMethod(root, kGetValue)), c.value);
    EXPECT_EQ(Qz_DoMethod(root, kLinkedListCount), c.children);
    Qz_DisposeObject(root);
    EXPECT_EQ(liveObjects(), 0);
  }
  // The report stays short however much is skipped.
  std::string many = "Probe\n{\n";
  for (int i = 0; i < 10000; ++i) many += "Qz_SetUnknown" + std::to_string(i) + ",1,\n";
  Qz_Object* root = read(many + "}\n");
  ASSERT_NE(root, nullptr);
  EXPECT_LT(std::strlen(Qz_GetObjectTextError()), 1000u);
  EXPECT_NE(std::string(Qz_GetObjectTextError()).find("more"), std::string::npos);
  Qz_DisposeObject(root);
}

// Texts whose structure is broken are refused as a whole, say why, and
// leave no object behind (the fixture checks the live count).
TEST_F(ObjectText, RefusedTexts) {
  std::string deep;
  for (int i = 0; i < 300; ++i) deep += "Probe\n{\n";
  for (int i = 0; i < 300; ++i) deep += "}\n";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"only blanks and comments", "  \n// nothing\n/* at all */\n"},
      {"only an unknown class", "NoSuchClass\n{\nQz_SetProbeValue,1,\n}\n"},
      {"a } too many", "Probe\n{\n}\n}\n"},
      {"a } before anything", "}\nProbe\n{\n}\n"},
      {"the last } missing", "Probe\n{\nProbe\n{\n}\n"},
      {"value missing at the end", "Probe\n{\nQz_SetProbeValue"},
      {"comment that never ends", "Probe\n{\n/* Qz_SetProbeValue,1,\n}\n"},
      {"comment that never ends after the object", "Probe\n{\n}\n/* trailing"},
      {"nested too deeply", deep},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Qz_Object* root = read(c.text);
    EXPECT_EQ(root, nullptr);
    EXPECT_STRNE(Qz_GetObjectTextError(), "");
    Qz_DisposeObject(root);
    EXPECT_EQ(liveObjects(), 0);
  }
  EXPECT_EQ(Qz_CreateObjectsFromString(nullptr), nullptr);
}

// A zero byte is no end of the text: what follows it would be lost unseen.
TEST_F(ObjectText, ZeroByteRefusesTheText) {
  const std::string whole = "Probe\n{\nQz_SetProbeValue,7,\n}\n";
  // In the middle of a value, and after a whole tree (before more of it).
  for (const std::size_t at : {std::size_t{25}, whole.size()}) {
    SCOPED_TRACE(at);
    std::string text = whole + "Probe\n{\n";
    text.insert(at, 1, '\0');
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    EXPECT_EQ(Qz__CreateObjectsFromText(buffer.data(), text.size()), nullptr);
    EXPECT_NE(std::string(Qz_GetObjectTextError()).find("NUL"), std::string::npos);
  }
  std::string text = whole;
  text.insert(whole.size(), 1, '\0');
  qztest::TempDir dir;
  const std::string path = dir.file("nul.QzStr");
  { std::ofstream(path, std::ios::binary) << text; }
  EXPECT_EQ(Qz_RestoreObjectFromDisk(path.c_str()), nullptr);
  EXPECT_EQ(liveObjects(), 0);
}

// Peak resident memory of the process since the mark, in bytes, or -1 where
// the kernel does not let the peak be reset.
long PeakSinceMark(bool mark) {
  if (mark) {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    if (!clear) return -1;
  }
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) * 1024;
  return -1;
}

// Tens of megabytes of separators cost no memory per separator: they are
// read once and kept nowhere.
TEST_F(ObjectText, MillionsOfSeparatorsAreReadWithoutPerSeparatorMemory) {
  constexpr std::size_t kSeparators = 32u << 20;
  for (const char separator : {',', '\n'}) {
    SCOPED_TRACE(separator == ',' ? "commas" : "line ends");
    for (const bool closed : {false, true}) {
      std::string text = "Probe\n{\nQz_SetProbeValue,7,\n";
      text.append(kSeparators, separator);
      if (closed) text += "}\n";
      const long before = PeakSinceMark(true);
      Qz_Object* root = read(text);
      const long peak = PeakSinceMark(false);
      EXPECT_EQ(root != nullptr, closed) << Qz_GetObjectTextError();
      if (root) {
        EXPECT_EQ(Qz_DoMethod(root, kGetValue), 7u);
      }
      Qz_DisposeObject(root);
      if (before >= 0 && peak >= 0) {
        // The text and its copy are all that may be resident.
        EXPECT_LT(peak, before + long(kSeparators) * 2 + (64l << 20));
      }
      texts_.clear();
    }
  }
}

// Every prefix of a stored text either reads as a whole tree or is refused;
// none crashes, reads past its end or leaves objects behind.
TEST_F(ObjectText, TruncatedTextsAreRefusedCleanly) {
  Qz_Object* original = makeSampleTree();
  const std::string full = stored(original);
  Qz_DisposeObject(original);
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE("prefix of " + std::to_string(cut) + " bytes");
    Qz_Object* root = read(full.substr(0, cut));
    // Only a cut after the final "}" can still be a whole tree.
    if (cut < full.size() - 1) {
      EXPECT_EQ(root, nullptr);
    }
    Qz_DisposeObject(root);
    ASSERT_EQ(liveObjects(), 0);
  }
}

TEST_F(ObjectText, CopyObjectToObjectCopiesEverySetterValue) {
  Qz_Object* source = Qz_CreateObject("Probe", kSetValue, 31, kSetHex, 0xABCDEF, kSetText, "words",
                                      kRootSetObjectName, "source");
  Qz_Object* destination = Qz_CreateObject("Probe");
  Qz_Object* leaf = Qz_CreateObject("ProbeLeaf");
  EXPECT_EQ(Qz_CopyObjectToObject(destination, source), 1u);
  EXPECT_EQ(Qz_DoMethod(destination, kGetValue), 31u);
  EXPECT_EQ(Qz_DoMethod(destination, kGetHex), 0xABCDEFu);
  EXPECT_EQ(text(Qz_DoMethod(destination, kGetText)), "words");
  EXPECT_EQ(text(Qz_DoMethod(destination, kRootGetObjectName)), "source");
  EXPECT_EQ(Qz_CopyObjectToObject(leaf, source), 0u);
  EXPECT_EQ(Qz_CopyObjectToObject(nullptr, source), 0u);
  Qz_DisposeObject(source);
  Qz_DisposeObject(destination);
  Qz_DisposeObject(leaf);
}

}  // namespace
