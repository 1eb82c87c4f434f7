// Certificate verification stays on for https roots: a server with a certificate
// nobody vouches for is not talked to.
#include <httplib.h>

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

#include "online/restlib.h"

namespace tovra {
namespace {

TEST(TlsTest, CertificadoNaoConfiavelEhRecusado) {
  QTemporaryDir pasta;
  const QString cert = pasta.path() + "/cert.pem", chave = pasta.path() + "/chave.pem";
  QProcess openssl;
  openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", chave, "-out", cert, "-days",
                            "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
  if (!openssl.waitForStarted(10000)) GTEST_SKIP() << "openssl indisponível";
  ASSERT_TRUE(openssl.waitForFinished(60000));
  ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();

  httplib::SSLServer servidor(cert.toLocal8Bit().constData(), chave.toLocal8Bit().constData());
  ASSERT_TRUE(servidor.is_valid());
  servidor.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(R"({"result":["OK"]})", "application/json");
  });
  const int porta = servidor.bind_to_any_port("127.0.0.1");
  ASSERT_GT(porta, 0);
  std::thread t([&] { servidor.listen_after_bind(); });
  for (int i = 0; i < 2500 && !servidor.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (!servidor.is_running()) {
    servidor.stop();
    t.join();
    FAIL() << "o servidor https não subiu";
  }

  // The server answers a client that skips verification...
  httplib::SSLClient confiante("127.0.0.1", porta);
  confiante.enable_server_certificate_verification(false);
  auto r = confiante.Get("/ok");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  // ...but not ours.
  const QString raiz = QString("https://127.0.0.1:%1/").arg(porta);
  EXPECT_EQ(TClass_RestLib::GetInstance().GetResponseAsString(raiz, "ok", ""), "ERRO");
  EXPECT_THROW(TClass_RestLib::GetInstance().POSTObject(raiz, Json::object(), "ok"), ERestErro);
  TClassHttpLib http;
  EXPECT_EQ(http.GetFileSize(raiz, "ok"), 0);

  servidor.stop();
  t.join();
}

}  // namespace
}  // namespace tovra
