#include "tests/support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>

#include "common/debug.h"
#include "common/pastas.h"

namespace tovra::test {

void DocumentsFixture::SetUp() {
  FDir = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(FDir->isValid());
  qputenv("TOVRA_DOCUMENTS", FDir->path().toUtf8());
  Pastas::Inicializa();
}

void DocumentsFixture::TearDown() {
  TDebug::Finaliza();
  TDebug::DefineAtivo(false);
  FDir.reset();
}

QString DocumentsFixture::Documents() const { return FDir->path() + "/"; }
QString DocumentsFixture::Base() const { return Pastas::Base(); }

QByteArray DocumentsFixture::ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void DocumentsFixture::WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  f.write(bytes);
}

QString SourceDir() {
  const QString e = QString::fromUtf8(qgetenv("TOVRA_SOURCE_DIR"));
  return e.isEmpty() ? QStringLiteral(TOVRA_TEST_SOURCE_DIR) : e;
}
QString BinaryDir() {
  const QString e = QString::fromUtf8(qgetenv("TOVRA_BINARY_DIR"));
  return e.isEmpty() ? QStringLiteral(TOVRA_TEST_BINARY_DIR) : e;
}

}  // namespace tovra::test

// One QCoreApplication for the whole test program: timers, the event loop and
// QSerialPort need it.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
