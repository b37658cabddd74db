// Matrix files through the convolve mode's load and save methods, the
// matrix methods' limits, and the source generator's exact text.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "compositor/compositor_kit.h"
#include "modes/convolve_matrix.h"
#include "modes/qz_convolve_mode.h"
#include "support/temp_dir.h"

namespace {

const std::string kDefaultFile = "MTRX\n\t3\t3\n\t1\t0\n\t5\t5\t-5\n\t10\t0\t-20\n\t5\t5\t-5\n";

class MatrixFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    mode = Qz_CreateObject("ConvolveMode");
    ASSERT_NE(mode, nullptr);
  }
  void TearDown() override {
    Qz_DisposeObject(mode);
    mode = nullptr;
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // What the mode holds now, as its saved file.
  std::string Saved() {
    const std::string path = dir.file("saved");
    EXPECT_NE(Qz_DoMethod(mode, kQzConvolveSaveMatrix, path.c_str()), 0u);
    return qztest::fileContents(path);
  }
  QzWord Load(const std::string& path) { return Qz_DoMethod(mode, kQzConvolveLoadMatrix, path.c_str()); }

  qztest::TempDir dir;
  Qz_Object* mode = nullptr;
};

TEST_F(MatrixFiles, TheDefaultMatrixSavesAsItsExactText) {
  const std::string path = dir.file("Default");
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSaveMatrix, path.c_str()), 3u);
  EXPECT_EQ(qztest::fileContents(path), kDefaultFile);
  EXPECT_STREQ(reinterpret_cast<const char*>(Qz_DoMethod(mode, kQzConvolveGetMatrixPath)), path.c_str());
  // The sample shipped with the program is the same file.
  EXPECT_EQ(qztest::fileContents(std::string(getenv("QZ_DATA_DIR")) + "/Data/Matrix/Default"), kDefaultFile);
}

TEST_F(MatrixFiles, LoadCases) {
  struct Case {
    const char* name;
    std::string text;
    bool loads;
    std::string saved;  // the mode's matrix afterwards, as saved ("" = the default, untouched)
  };
  const std::string nine2 = "\t2\t2\t2\n\t2\t2\t2\n\t2\t2\t2\n";
  const Case cases[] = {
      {"good", "MTRX\n\t3\t3\n\t9\t0\n\t1\t1\t1\n\t1\t1\t1\n\t1\t1\t1\n", true,
       "MTRX\n\t3\t3\n\t9\t0\n\t1\t1\t1\n\t1\t1\t1\n\t1\t1\t1\n"},
      {"divisor 16 kept over the sum 18", "MTRX\n\t3\t3\n\t16\t0\n" + nine2, true, "MTRX\n\t3\t3\n\t16\t0\n" + nine2},
      {"divisor 0 becomes the sum", "MTRX\n\t3\t3\n\t0\t0\n" + nine2, true, "MTRX\n\t3\t3\n\t18\t0\n" + nine2},
      {"negative divisor kept", "MTRX\n\t1\t1\n\t-2\t0\n\t4\n", true, "MTRX\n\t1\t1\n\t-2\t0\n\t4\n"},
      {"6 rows", "MTRX\n\t6\t6\n\t1\t0\n", false, ""},
      {"rows not columns", "MTRX\n\t3\t2\n\t1\t0\n\t1\t1\n\t1\t1\n\t1\t1\n", false, ""},
      {"rows 0", "MTRX\n\t0\t0\n\t1\t0\n", false, ""},
      {"negative rows", "MTRX\n\t-3\t-3\n\t1\t0\n", false, ""},
      {"magic alone", "MTRX", false, ""},
      {"wrong magic", "MTRY\n\t1\t1\n\t1\t0\n\t1\n", false, ""},
      {"short file", "MTR", false, ""},
      {"empty file", "", false, ""},
      {"weights missing", "MTRX\n\t2\t2\n\t1\t0\n\t7\n", true, "MTRX\n\t2\t2\n\t1\t0\n\t7\t0\n\t0\t0\n"},
      {"a word stops the weights", "MTRX\n\t2\t2\n\t1\t0\n\t7\tx\t8\n", true, "MTRX\n\t2\t2\n\t1\t0\n\t7\t0\n\t0\t0\n"},
      {"low 16 bits of 70000", "MTRX\n\t1\t1\n\t1\t0\n\t70000\n", true, "MTRX\n\t1\t1\n\t1\t0\n\t4464\n"},
      {"beyond 32 bits saturates", "MTRX\n\t1\t1\n\t1\t0\n\t-99999999999\n", true, "MTRX\n\t1\t1\n\t1\t0\n\t0\n"},
      {"CRLF and spaces", "MTRX\r\n  2 2\r\n 4 0\r\n +1 1\r\n 1 1\r\n", true, "MTRX\n\t2\t2\n\t4\t0\n\t1\t1\n\t1\t1\n"},
      {"any fifth byte", "MTRX7 1 1 1 0 5", true, "MTRX\n\t1\t1\n\t1\t0\n\t5\n"},
      {"5 by 5", "MTRX\n5 5 1 0 " + std::string(24, ' ') + "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25",
       true,
       "MTRX\n\t5\t5\n\t1\t0\n\t1\t2\t3\t4\t5\n\t6\t7\t8\t9\t10\n\t11\t12\t13\t14\t15\n\t16\t17\t18\t19\t20\n"
       "\t21\t22\t23\t24\t25\n"},
      {"larger than 64 KiB", "MTRX\n\t1\t1\n\t1\t0\n\t3" + std::string(70000, ' '), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();  // a fresh mode for each case
    ASSERT_NO_FATAL_FAILURE(SetUp());
    const std::string path = Write("case", c.text);
    const QzWord answer = Load(path);
    EXPECT_EQ(answer != 0, c.loads);
    if (c.loads) {
      EXPECT_STREQ(reinterpret_cast<const char*>(answer), path.c_str());
    }
    EXPECT_EQ(Saved(), c.loads ? c.saved : kDefaultFile);
  }
  // A missing file changes nothing either.
  TearDown();
  ASSERT_NO_FATAL_FAILURE(SetUp());
  EXPECT_EQ(Load(dir.file("missing")), 0u);
  EXPECT_EQ(Saved(), kDefaultFile);
}

TEST_F(MatrixFiles, AnEditRecomputesTheDivisorAndKeepsWeightsBeyondTheGrid) {
  ASSERT_NE(Load(Write("m", "MTRX\n\t3\t3\n\t16\t0\n\t2\t2\t2\n\t2\t2\t2\n\t2\t2\t2\n")), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveMatrixEdited), 0u);
  EXPECT_EQ(Saved(), "MTRX\n\t3\t3\n\t18\t0\n\t2\t2\t2\n\t2\t2\t2\n\t2\t2\t2\n");
  const std::string five = "MTRX\n\t5\t5\n\t1\t0\n" + std::string("\t1\t1\t1\t1\t9\n") + "\t1\t1\t1\t1\t1\n"
                           "\t1\t1\t1\t1\t1\n\t1\t1\t1\t1\t1\n\t1\t1\t1\t1\t1\n";
  ASSERT_NE(Load(Write("five", five)), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveMatrixEdited), 0u);
  std::string expected = five;
  expected.replace(expected.find("\t1\t0\n"), 5, "\t33\t0\n");
  EXPECT_EQ(Saved(), expected);
}

TEST_F(MatrixFiles, SaveAndLoadReproduceTheMatrix) {
  ASSERT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, 4), 4u);
  for (int32_t i = 0; i < 4; ++i)
    for (int32_t j = 0; j < 4; ++j)
      Qz_DoMethod(mode, kQzConvolveSetMatrixEntry, i, j, uint32_t(uint16_t(int16_t((i - 2) * 7 + j))));
  const std::string first = Saved();
  EXPECT_EQ(first.substr(0, 15), "MTRX\n\t4\t4\n\t1\t0\n");  // the sum -32 is below 1
  const std::string path = Write("copy", first);
  Qz_DoMethod(mode, kQzConvolveSetMatrixAll, 3);
  ASSERT_NE(Load(path), 0u);
  EXPECT_EQ(Saved(), first);
  // Saving changes nothing.
  EXPECT_EQ(Saved(), first);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveGetMatrixSize), 4u);
}

TEST_F(MatrixFiles, MatrixMethodsKeepToTheMatrix) {
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, 0), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, 8), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, uint32_t(-3)), 0u);
  EXPECT_EQ(Saved(), kDefaultFile);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveGetMatrixEntry, 1, 2), QzWord(intptr_t(-20)));
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveGetMatrixEntry, 3, 0), 0u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveGetMatrixEntry, uint32_t(-1), 0), 0u);
  Qz_DoMethod(mode, kQzConvolveSetMatrixEntry, 3, 0, 9);
  Qz_DoMethod(mode, kQzConvolveSetMatrixEntry, 0, uint32_t(-1), 9);
  EXPECT_EQ(Saved(), kDefaultFile);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSetMatrixSize, 7), 7u);
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveGetMatrixSize), 7u);
}

TEST_F(MatrixFiles, OnlyEditsAndLoadsAskForARender) {
  qztest::Document doc(4, 4, [](int32_t, int32_t) { return qztest::Rgb{1, 2, 3}; });
  Qz_Image* layer = doc.AddPaintLayer("Convolve", {0, 0, 0}, 0, 0, 4, 4, [](int32_t, int32_t) { return uint8_t(255); });
  ASSERT_NE(layer, nullptr);
  qztest::RerenderCounter renders;
  Qz_DoMethod(layer->mode, kQzConvolveSetMatrixSize, 3);
  Qz_DoMethod(layer->mode, kQzConvolveSetMatrixAll, 1);
  Qz_DoMethod(layer->mode, kQzConvolveSetMatrixEntry, 0, 0, 2);
  EXPECT_EQ(renders.Count(), 0u);
  Qz_DoMethod(layer->mode, kQzConvolveMatrixEdited);
  EXPECT_EQ(renders.Count(doc.image), 1u);
  Qz_DoMethod(layer->mode, kQzConvolveLoadMatrix, Write("m", kDefaultFile).c_str());
  EXPECT_EQ(renders.Count(doc.image), 2u);
  Qz_DoMethod(layer->mode, kQzConvolveLoadMatrix, Write("bad", "MTRX 9 9").c_str());
  EXPECT_EQ(renders.Count(doc.image), 2u);
}

TEST_F(MatrixFiles, ASaveThatCannotBeWrittenLeavesTheOldFile) {
  const std::string path = Write("kept", "old");
  EXPECT_EQ(Qz_DoMethod(mode, kQzConvolveSaveMatrix, (dir.file("no/such/folder/m")).c_str()), 0u);
  EXPECT_EQ(qztest::fileContents(path), "old");
}

// ---- the generator ----

std::string Generate(const std::vector<std::vector<int32_t>>& rows, int16_t divisor, int32_t pass = 2) {
  std::vector<const int32_t*> table;
  for (const auto& r : rows) table.push_back(r.data());
  char* text = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&text, &size);
  const int32_t width = int32_t(rows.front().size()), height = int32_t(rows.size());
  const int32_t ok = pass == 2 ? Qz_GenerateMatrixCode(stream, "Box", width, height, divisor, table.data())
                               : Qz_GenerateInnerMatrixCode(stream, width, height, divisor, table.data(), pass);
  std::fclose(stream);
  std::string result = ok ? std::string(text, size) : "refused:" + std::string(text, size);
  std::free(text);
  return result;
}

const char kClampTail[] =
    "\t\t\tif(v<0)\n\t\t\t\t*ModeLine++=0;\n\t\t\telse\n\t\t\t\tif(v<255)\n\t\t\t\t\t*ModeLine++=v;\n"
    "\t\t\t\telse\n\t\t\t\t\t*ModeLine++=255;\n\n\t\t\tx++;\n\t\t}\n\n";

TEST(MatrixCode, ABoxOfOnesWritesTheWholeRoutine) {
  std::string clampedRows, plainRows;
  for (const char* dy : {"-1", "", "+1"}) {
    clampedRows += std::string("\t\t\tLine=Data[y") + dy + "];\n\t\t\t"
                   "v+=Line[min(max(x-1,0),max_x)] * 1;\tv+=Line[x] * 1;\tv+=Line[min(max(x+1,0),max_x)] * 1;\t\n\n";
    plainRows += std::string("\t\t\tLine=Data[y") + dy + "];\n\t\t\tv+=Line[x-1] * 1;\tv+=Line[x] * 1;\tv+=Line[x+1] * 1;\t\n\n";
  }
  const std::string scale = "\t\t\tv=(v*7281)>>16;\n\n";
  const std::string expected =
      "void Qz__ProcessBoxRect(UBYTE **ModeData,UBYTE **Data,ICOORD x1,ICOORD y1,ICOORD x2,ICOORD y2,ICOORD image_width)\n"
      "{\n\tUBYTE *Line,*ModeLine;\n"
      "\tICOORD x,y,max_x=image_width-1,safex1=max(1,x1),safex2=min(x2,max_x-1);\n"
      "\tregister LONG v;\n\n"
      "\tfor(y=y1;y<=y2;y++)\n\t{\n\n\t\tModeLine=ModeData[y-y1];\n\n\t\tx=x1;\n\n"
      "\t\twhile(x<safex1)\n\t\t{\n\t\t\tv=0;\n" + clampedRows + scale + kClampTail +
      "\t\twhile(x<=safex2)\n\t\t{\n\t\t\tv=0;\n" + plainRows + scale + kClampTail +
      "\t\twhile(x<=x2)\n\t\t{\n\t\t\tv=0;\n" + clampedRows + scale + kClampTail + "\t}\n}\n";
  EXPECT_EQ(Generate({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, 0), expected);
}

TEST(MatrixCode, InnerLoopTerms) {
  // -1 has no factor, 0 no term, a divisor of 1 no scale line.
  EXPECT_EQ(Generate({{-1, 0, 3}}, 1, 0),
            "\t\twhile(x<=safex2)\n\t\t{\n\t\t\tv=0;\n\t\t\tLine=Data[y];\n\t\t\tv-=Line[x-1];\tv+=Line[x+1] * 3;\t\n\n" +
                std::string(kClampTail));
  EXPECT_EQ(Generate({{0, -1, 0}, {2, 0, 0}}, 1, -1),
            "\t\twhile(x<safex1)\n\t\t{\n\t\t\tv=0;\n\t\t\tLine=Data[y-1];\n\t\t\tv-=Line[x];\t\n\n"
            "\t\t\tLine=Data[y];\n\t\t\tv+=Line[min(max(x-1,0),max_x)] * 2;\t\n\n" + std::string(kClampTail));
  // An even matrix centres at width / 2; a given divisor scales by 65536 / divisor.
  EXPECT_EQ(Generate({{5, 0}, {0, 0}}, 3, 1),
            "\t\twhile(x<=x2)\n\t\t{\n\t\t\tv=0;\n\t\t\tLine=Data[y-1];\n\t\t\tv+=Line[min(max(x-1,0),max_x)] * 5;\t\n\n"
            "\t\t\tLine=Data[y];\n\t\t\t\n\n\t\t\tv=(v*21845)>>16;\n\n" + std::string(kClampTail));
}

TEST(MatrixCode, WeightsSummingToZeroWithoutADivisorAreRefused) {
  EXPECT_EQ(Generate({{1, -1}, {2, -2}}, 0), "refused:");
  EXPECT_EQ(Generate({{1, -1}, {2, -2}}, 0, 0), "refused:");
  // Only the low 16 bits of each weight count toward the sum.
  EXPECT_EQ(Generate({{65536, 0}}, 0), "refused:");
  EXPECT_EQ(Qz_GenerateMatrixCode(nullptr, "Box", 1, 1, 1, nullptr), 0);
}

}  // namespace
