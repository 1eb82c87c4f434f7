#pragma once
// Shared test fixtures: every test runs with its own documents folder, so nothing
// touches a real user's files.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace tovra::test {

// Points TOVRA_DOCUMENTS at a fresh temporary folder for the life of the fixture
// and rebuilds the folder tree from it.
class DocumentsFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  QString Documents() const;     // the temporary documents folder, ending in "/"
  QString Base() const;          // the program's base folder inside it, ending in "/"
  static QByteArray ReadAll(const QString& path);
  static void WriteAll(const QString& path, const QByteArray& bytes);

 private:
  std::unique_ptr<QTemporaryDir> FDir;
};

// The source tree (for data/ and fixtures) and the build tree.
QString SourceDir();
QString BinaryDir();

}  // namespace tovra::test
