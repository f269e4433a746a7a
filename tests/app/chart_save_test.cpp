// The chart page's saves run off the window's thread: the file must be the
// one a save on the window's thread writes, rows that come while it runs
// must not slip in, and a failure must still name the file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/chart_page.h"
#include "session/session_values.h"
#include "support/qt_test_app.h"

namespace kalvex {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void AddRows(SessionValues& values, int from, int count) {
  GaugeValues v{};
  for (int i = from; i < from + count; ++i) {
    v[static_cast<size_t>(Component::VI_Nmot)] = 800.0f + static_cast<float>(i % 3000) / 7.0f;
    v[static_cast<size_t>(Component::VS_TOG)] = static_cast<float>(i % 90) - 40.0f;
    if (i % 3 == 0) v[static_cast<size_t>(Component::VS_Ub)] = 0.05f * static_cast<float>(i % 300);
    values.append(static_cast<Millis>(i) * 20, v);
  }
}

struct SaveHarness {
  SaveHarness() : page(values) {
    Visibility all{};
    all.fill(true);
    page.setAvailable(all);
    page.onError = [this](const std::string& e) { errors.push_back(e); };
    QObject::connect(&page, &ChartPage::saveFinished, [this](bool ok) { results.push_back(ok); });
  }
  bool waitForResults(size_t n) {
    return RunUntil([&] { return results.size() >= n; }, 60000);
  }
  QApplication* app = TestApp();  // before any widget
  SessionValues values;
  ChartPage page;
  std::vector<std::string> errors;
  std::vector<bool> results;
};

TEST(ChartSave, CsvOffTheWindowThreadIsTheSameFileAndTakesNoLaterRows) {
  SaveHarness h;
  AddRows(h.values, 0, 100'000);  // several pieces of copying
  const std::string dir = testing::TempDir();
  const std::string onThread = dir + "/chart_save_sync.csv";
  const std::string offThread = dir + "/chart_save_async.csv";
  std::string error;
  ASSERT_TRUE(h.page.saveCsv(onThread, error)) << error;

  ASSERT_TRUE(h.page.startCsvSave(offThread));
  EXPECT_TRUE(h.page.saving());
  EXPECT_FALSE(h.page.findChild<QPushButton*>("ChartSaveCsv")->isEnabled());
  EXPECT_FALSE(h.page.startCsvSave(offThread)) << "a second save while one runs";
  EXPECT_FALSE(h.page.startPngSave(dir + "/chart_save_busy.png"));
  AddRows(h.values, 100'000, 50);  // the session goes on meanwhile
  ASSERT_TRUE(h.waitForResults(1));
  EXPECT_EQ(h.results, std::vector<bool>{true});
  EXPECT_TRUE(h.errors.empty());
  EXPECT_FALSE(h.page.saving());
  EXPECT_TRUE(h.page.findChild<QPushButton*>("ChartSaveCsv")->isEnabled());
  EXPECT_TRUE(h.page.findChild<QProgressBar*>("ChartSaveProgress")->isHidden());
  const std::string expected = ReadAll(onThread);
  ASSERT_GT(expected.size(), 1'000'000u);
  EXPECT_TRUE(ReadAll(offThread) == expected) << "the files differ";

  // The next save takes the rows that came since.
  ASSERT_TRUE(h.page.startCsvSave(offThread));
  ASSERT_TRUE(h.waitForResults(2));
  SessionValues back;
  ASSERT_TRUE(back.readCsv(offThread, error)) << error;
  EXPECT_EQ(back.size(), 100'050u);
}

TEST(ChartSave, RowsDroppedWhileCopyingAreNeitherRepeatedNorShifted) {
  SaveHarness h;
  SessionValues& values = h.values;
  values = SessionValues(70'000);
  AddRows(values, 0, 70'000);
  const std::string path = testing::TempDir() + "/chart_save_dropping.csv";
  ASSERT_TRUE(h.page.startCsvSave(path));
  // The first piece is copied; the oldest rows now go as new ones come.
  AddRows(values, 70'000, 40'000);
  ASSERT_TRUE(h.waitForResults(1));
  ASSERT_EQ(h.results, std::vector<bool>{true});
  SessionValues back;
  std::string error;
  ASSERT_TRUE(back.readCsv(path, error)) << error;
  ASSERT_GT(back.size(), 30'000u);
  ASSERT_LE(back.size(), 70'000u);
  EXPECT_EQ(back[0].ms, 0) << "the rows copied before the drop stay";
  for (size_t i = 1; i < back.size(); ++i)
    ASSERT_GT(back[i].ms, back[i - 1].ms) << "row " << i << " out of order or repeated";
  EXPECT_EQ(back.back().ms, 69'999 * 20) << "no row of after the click";
}

TEST(ChartSave, ClosingWhileCopyingStillWritesEveryRowOfTheClick) {
  const std::string path = testing::TempDir() + "/chart_save_closing.csv";
  QFile::remove(QString::fromStdString(path));
  {
    SaveHarness h;
    AddRows(h.values, 0, 100'000);  // more than one piece of copying
    ASSERT_TRUE(h.page.startCsvSave(path));
    ASSERT_TRUE(h.page.saving());
    h.page.finishSave();  // what the window does as it closes
  }
  SessionValues back;
  std::string error;
  ASSERT_TRUE(back.readCsv(path, error)) << error;
  ASSERT_EQ(back.size(), 100'000u);
  EXPECT_EQ(back.back().ms, 99'999 * 20);
}

TEST(ChartSave, FailuresNameTheFileAndLeaveNothingBehind) {
  SaveHarness h;
  AddRows(h.values, 0, 1000);
  const std::string missing = "/nonexistent-kalvex-dir/values.csv";
  ASSERT_TRUE(h.page.startCsvSave(missing));
  ASSERT_TRUE(h.waitForResults(1));
  ASSERT_EQ(h.errors.size(), 1u);
#ifdef Q_OS_WIN  // the reason there is the system's text, through Qt
  EXPECT_NE(h.errors[0].find(missing), std::string::npos) << h.errors[0];
#else
  EXPECT_EQ(h.errors[0], "Не удалось записать " + missing + ": нет такой папки");
#endif
  EXPECT_EQ(h.results, std::vector<bool>{false});

  const std::string missingPng = "/nonexistent-kalvex-dir/chart.png";
  ASSERT_TRUE(h.page.startPngSave(missingPng));
  ASSERT_TRUE(h.waitForResults(2));
  ASSERT_EQ(h.errors.size(), 2u);
  EXPECT_NE(h.errors[1].find(missingPng), std::string::npos) << h.errors[1];

  // A folder in the way of the file: the old folder stays, no temporary file stays.
  const QString dir = QString::fromStdString(testing::TempDir()) + "/chart_save_blocked";
  QDir().mkpath(dir + "/chart.png");
  ASSERT_TRUE(h.page.startPngSave((dir + "/chart.png").toStdString()));
  ASSERT_TRUE(h.waitForResults(3));
  EXPECT_FALSE(h.results[2]);
  EXPECT_EQ(QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"chart.png"});

  const std::string png = testing::TempDir() + "/chart_save_ok.png";
  h.page.resize(640, 360);
  ASSERT_TRUE(h.page.startPngSave(png));
  ASSERT_TRUE(h.waitForResults(4));
  EXPECT_TRUE(h.results[3]);
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(png)));
  EXPECT_GT(image.width(), 300);
}

#ifndef Q_OS_WIN
// A small file system of its own, mounted in the test's temporary folder
// and gone with it; none where mounting is not permitted (not root, a
// container without the right).
struct SmallFileSystem {
  explicit SmallFileSystem(const std::string& path) : dir(path) {
    QDir(QString::fromStdString(dir)).removeRecursively();
    QDir().mkpath(QString::fromStdString(dir));
    mounted =
        std::system(("mount -t tmpfs -o size=64k kalvex-test '" + dir + "' 2>/dev/null").c_str()) ==
        0;
  }
  ~SmallFileSystem() {
    if (mounted) std::system(("umount '" + dir + "'").c_str());
    QDir(QString::fromStdString(dir)).removeRecursively();
  }
  // Fills what is left, so even a small picture does not fit.
  void fill() const {
    std::ofstream out(dir + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && out; ++i) out.write(block.data(), block.size()), out.flush();
  }
  QStringList entries() const {
    return QDir(QString::fromStdString(dir))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
  }
  std::string dir;
  bool mounted = false;
};

TEST(ChartSave, AFullDiskIsSaidSoAndLeavesNoFile) {
  SmallFileSystem fs(testing::TempDir() + "/chart_save_full");
  if (!fs.mounted) GTEST_SKIP() << "mounting a small file system is not permitted here";
  SaveHarness h;
  AddRows(h.values, 0, 20'000);  // about a megabyte of text
  const std::string csv = fs.dir + "/values.csv";
  ASSERT_TRUE(h.page.startCsvSave(csv));
  ASSERT_TRUE(h.waitForResults(1));
  EXPECT_EQ(h.results, std::vector<bool>{false});
  ASSERT_EQ(h.errors.size(), 1u);
  EXPECT_EQ(h.errors[0], "Не удалось записать " + csv + ": нет места на диске");
  EXPECT_EQ(fs.entries(), QStringList{});

  fs.fill();
  const std::string png = fs.dir + "/chart.png";
  h.page.resize(640, 360);
  ASSERT_TRUE(h.page.startPngSave(png));
  ASSERT_TRUE(h.waitForResults(2));
  EXPECT_FALSE(h.results[1]);
  ASSERT_EQ(h.errors.size(), 2u);
  EXPECT_EQ(h.errors[1], "Не удалось записать " + png + ": нет места на диске");
  EXPECT_EQ(fs.entries(), QStringList{"filler"});
}
#endif

}  // namespace
}  // namespace kalvex
