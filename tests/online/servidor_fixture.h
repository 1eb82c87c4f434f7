#pragma once
// A stand-in server on an ephemeral 127.0.0.1 port for each test, with a fresh
// served folder and a throw-away state; every service root points at it.
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "devserver/devserver.h"
#include "online/restlib.h"
#include "online/servicos_config.h"
#include "tests/support/testsupport.h"

namespace tovra::test {

class ServidorFixture : public DocumentsFixture {
 protected:
  void SetUp() override {
    DocumentsFixture::SetUp();
    FRaiz = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(FRaiz->isValid());
    FServidor = std::make_unique<devserver::TDevServer>(FRaiz->path(), ":memory:");
    ASSERT_TRUE(FServidor->Inicia(0));
    TServicos::Define(TClassServicosConfig::DoServidorLocal(FServidor->UrlBase()));
    // Generous for real I/O; the time-out tests shorten them on purpose.
    TClass_RestLib::GetInstance().DefineTimeoutsGet(10000, 10000);
    TClass_RestLib::GetInstance().DefineTimeoutRequest(10000);
    EsqueceVerificacaoInternet();
  }
  void TearDown() override {
    if (FServidor) FServidor->Para();
    TClass_RestLib::GetInstance().RestauraTimeouts();
    EsqueceVerificacaoInternet();
    DocumentsFixture::TearDown();
  }

  devserver::TDevServer& Servidor() { return *FServidor; }
  // The served folder (the file-server root), ending in "/".
  QString Servido() const { return FRaiz->path() + "/"; }
  QString Url() const { return FServidor->UrlBase(); }
  void Publica(const QString& relativo, const QByteArray& conteudo) { WriteAll(Servido() + relativo, conteudo); }
  // The target of the last request below the prefix, as it went over the wire.
  std::string Alvo(const std::string& prefixo) const { return FServidor->UltimoPedido(prefixo).FAlvo; }
  std::string Corpo(const std::string& prefixo) const { return FServidor->UltimoPedido(prefixo).FCorpo; }

  // A root whose replies are the files below served-folder + pasta (any text we need).
  void RaizDeArquivos(QString TClassServicosConfig::*raiz, const QString& pasta) {
    TClassServicosConfig c = TServicos::Config();
    c.*raiz = Url() + pasta;
    TServicos::Define(c);
  }

 private:
  std::unique_ptr<QTemporaryDir> FRaiz;
  std::unique_ptr<devserver::TDevServer> FServidor;
};

}  // namespace tovra::test
