#include "common/dicionario.h"

#include <QFile>
#include <stdexcept>

#include "common/debug.h"
#include "common/formata.h"
#include "common/jsonobj.h"
#include "common/pastas.h"
#include "common/texto.h"

namespace tovra {

// ---------------------------------------------------------------- TIniMemoria

TIniMemoria TIniMemoria::DeTexto(const QString& texto) {
  TIniMemoria ini;
  Secao* atual = nullptr;
  const QStringList linhas = texto.split('\n');
  for (QString l : linhas) {
    l = l.trimmed();
    if (l.isEmpty() || l.startsWith(';') || l.startsWith('#')) continue;
    if (l.startsWith('[') && l.endsWith(']')) {
      const QString nome = l.mid(1, l.size() - 2).trimmed();
      atual = ini.BuscaSecaoMut(nome);
      if (!atual) {
        ini.FSecoes.append(Secao{nome, {}});
        atual = &ini.FSecoes.last();
      }
      continue;
    }
    if (!atual) continue;
    const qsizetype eq = l.indexOf('=');
    if (eq <= 0) continue;
    const QString nome = l.left(eq).trimmed();
    const QString valor = l.mid(eq + 1).trimmed();
    bool achou = false;
    for (Linha& x : atual->linhas)
      if (x.nome.compare(nome, Qt::CaseInsensitive) == 0) { x.valor = valor; achou = true; break; }
    if (!achou) atual->linhas.append(Linha{nome, valor});
  }
  return ini;
}

TIniMemoria TIniMemoria::Carrega(const QString& arquivo) {
  QFile f(arquivo);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return DeTexto(DecodeTextFile(f.readAll()));
}

QString TIniMemoria::Texto() const {
  QString t;
  for (const Secao& s : FSecoes) {
    t += "[" + s.nome + "]\n";
    for (const Linha& l : s.linhas) t += l.nome + "=" + l.valor + "\n";
    t += "\n";
  }
  return t;
}

void TIniMemoria::Salva(const QString& arquivo) const { GravaArquivoAtomico(arquivo, Texto().toUtf8()); }

TIniMemoria::Secao* TIniMemoria::BuscaSecaoMut(const QString& nome) {
  for (Secao& s : FSecoes)
    if (s.nome.compare(nome, Qt::CaseInsensitive) == 0) return &s;
  return nullptr;
}

const TIniMemoria::Secao* TIniMemoria::BuscaSecao(const QString& nome) const {
  return const_cast<TIniMemoria*>(this)->BuscaSecaoMut(nome);
}

QString TIniMemoria::Le(const QString& secao, const QString& nome, const QString& padrao) const {
  const Secao* s = BuscaSecao(secao);
  if (!s) return padrao;
  for (const Linha& l : s->linhas)
    if (l.nome.compare(nome, Qt::CaseInsensitive) == 0) return l.valor;
  return padrao;
}

void TIniMemoria::Escreve(const QString& secao, const QString& nome, const QString& valor) {
  Secao* s = BuscaSecaoMut(secao);
  if (!s) {
    FSecoes.append(Secao{secao, {}});
    s = &FSecoes.last();
  }
  for (Linha& l : s->linhas)
    if (l.nome.compare(nome, Qt::CaseInsensitive) == 0) { l.valor = valor; return; }
  s->linhas.append(Linha{nome, valor});
}

void TIniMemoria::ApagaSecao(const QString& nome) {
  for (qsizetype i = 0; i < FSecoes.size(); ++i)
    if (FSecoes[i].nome.compare(nome, Qt::CaseInsensitive) == 0) { FSecoes.removeAt(i); return; }
}

QStringList TIniMemoria::Secoes() const {
  QStringList r;
  for (const Secao& s : FSecoes) r << s.nome;
  return r;
}

// ------------------------------------------------------------ TDicionarioBase

TDicionarioBase::TDicionarioBase(const QString& arquivo) : FArquivo(arquivo), FIni(TIniMemoria::Carrega(arquivo)) {
  if (const auto* s = FIni.BuscaSecao(kSecaoIdiomas))
    for (const auto& l : s->linhas) FIdiomas.append({l.nome, l.valor});
  for (const QString& nome : FIni.Secoes())
    if (nome.compare(kSecaoIdiomas, Qt::CaseInsensitive) != 0) FChavesTrad.append(nome);
}

QString TDicionarioBase::Traduz(const QString& chave, const QString& idioma) const {
  const QString v = FIni.Le(chave, idioma.toUpper());
  return v.isEmpty() ? chave : v;
}

void TDicionarioBase::NovoIdioma(const QString& codigo, const QString& descricao) {
  const QString c = codigo.toUpper();
  for (const auto& i : FIdiomas)
    if (i.first.compare(c, Qt::CaseInsensitive) == 0) return;
  FIdiomas.append({c, descricao.toUpper()});
  FIni.Escreve(kSecaoIdiomas, c, descricao.toUpper());
}

int TDicionarioBase::NovaChave(const QString& chave) {
  for (const QString& k : FChavesTrad)
    if (k.compare(chave, Qt::CaseInsensitive) == 0)
      throw std::runtime_error(("Já existe uma chave de tradução '" + chave + "'").toStdString());
  FChavesTrad.append(chave);
  return static_cast<int>(FChavesTrad.size() - 1);
}

void TDicionarioBase::ApagarChave(const QString& chave) {
  if (chave.isEmpty()) return;
  for (qsizetype i = 0; i < FChavesTrad.size(); ++i)
    if (FChavesTrad[i].compare(chave, Qt::CaseInsensitive) == 0) { FChavesTrad.removeAt(i); return; }
  throw std::runtime_error("Chave de tradução não encontrada!");
}

void TDicionarioBase::LimparChaves() { FChavesTrad.clear(); }

void TDicionarioBase::DefineTraducao(const QString& chave, const QString& idioma, const QString& texto) {
  FIni.Escreve(chave, idioma.toUpper(), texto);
}

void TDicionarioBase::Salva() {
  for (const QString& nome : FIni.Secoes()) {
    if (nome.compare(kSecaoIdiomas, Qt::CaseInsensitive) == 0) continue;
    if (!FChavesTrad.contains(nome, Qt::CaseInsensitive)) FIni.ApagaSecao(nome);
  }
  FIni.Salva(FArquivo);
}

// ---------------------------------------------------------------- TDicionario

namespace {
struct EstadoDic {
  std::unique_ptr<TDicionarioBase> mensagens;
  std::unique_ptr<TDicionarioBase> tela;
  QString idioma;
};
EstadoDic& Dic() {
  static EstadoDic d;
  return d;
}

void TraduzComponentes(IComponenteTraduzivel& c, const TDicionarioBase& dic, const QString& idioma) {
  c.ParaCadaComponente([&](IComponenteTraduzivel& filho) {
    if (dic.ChavesTrad().contains(filho.Nome(), Qt::CaseInsensitive))
      filho.DefineTexto(dic.Traduz(filho.Nome(), idioma));
    else
      TraduzComponentes(filho, dic, idioma);
  });
}
}  // namespace

void TDicionario::Inicializa(const QString& arquivo, const QString& idioma) {
  if (!QFile::exists(arquivo)) return;
  EstadoDic& d = Dic();
  d.mensagens = std::make_unique<TDicionarioBase>(arquivo);
  if (!idioma.isEmpty())
    d.idioma = idioma;
  else
    d.idioma = d.mensagens->Idiomas().isEmpty() ? QString() : d.mensagens->Idiomas().first().first;
}

void TDicionario::InicializaForm(const QString& arquivo) {
  if (!QFile::exists(arquivo)) return;
  Dic().tela = std::make_unique<TDicionarioBase>(arquivo);
}

void TDicionario::DefineIdioma(const QString& idioma) {
  if (Dic().mensagens) Dic().idioma = idioma;
}

QString TDicionario::Idioma() { return Dic().idioma; }

QString TDicionario::Traduz(const QString& chave, const QString& idioma) {
  EstadoDic& d = Dic();
  if (!d.mensagens) return chave;
  const QString l = !idioma.isEmpty() ? idioma.toUpper() : d.idioma;
  if (l.isEmpty()) return chave;
  if (d.tela) {
    const QString t = d.tela->Traduz(chave, l);
    if (t != chave) return t;
  }
  return d.mensagens->Traduz(chave, l);
}

QString TDicionario::TraduzUpper(const QString& chave, const QString& idioma) {
  return Traduz(chave, idioma).toUpper();
}

int TDicionario::GetIndiceChave(const QString& chave) {
  if (!Dic().mensagens) return -1;
  const QStringList& k = Dic().mensagens->ChavesTrad();
  for (qsizetype i = 0; i < k.size(); ++i)
    if (k[i].compare(chave, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

void TDicionario::TraduzTela(IComponenteTraduzivel& tela) {
  EstadoDic& d = Dic();
  if (!d.tela || d.idioma.isEmpty()) return;
  TraduzComponentes(tela, *d.tela, d.idioma);
}

void TDicionario::CarregaDicionarioTela(const QString& arquivo, IComponenteTraduzivel& tela, const QString& labelErro) {
  try {
    if (!QFile::exists(Pastas::Base() + nomes::kDicFrmBrevanta)) return;
    InicializaForm(arquivo);
    TraduzTela(tela);
  } catch (const std::exception& e) {
    TDebug::Erro(QString::fromUtf8(e.what()), labelErro);
  }
}

QString TDicionario::TextoDialogo(const QString& texto, const QStringList& args) {
  if (texto.contains(' ') || texto.isEmpty()) return texto;
  try {
    const QString t = Traduz(texto);
    return args.isEmpty() ? t : FormataTexto(t, args);
  } catch (const std::exception&) {
    return texto;
  }
}

QString TDicionario::TituloDialogo(const QString& texto) {
  if (texto.contains(' ')) return texto;
  return TraduzUpper(texto);
}

TDicionarioBase* TDicionario::Mensagens() { return Dic().mensagens.get(); }
TDicionarioBase* TDicionario::Tela() { return Dic().tela.get(); }
void TDicionario::Limpa() {
  Dic().mensagens.reset();
  Dic().tela.reset();
  Dic().idioma.clear();
}

}  // namespace tovra
