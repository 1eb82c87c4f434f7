// The simulated control unit: what the device does for a diagnosis once a script
// is loaded. Preparation (adapter, script, model, start of communication), the
// control-unit identification, fault frames in the five layouts, the list of
// available parameters, 0x35 streams, actuator and adjustment dialogues with
// their user messages and keep-alive control, and the Zintra streams.
#include <map>
#include <QtMath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "device/hexa.h"
#include "sim/simvexlin.h"

namespace tovra::sim {

namespace {
using J = nlohmann::ordered_json;
using Sim = TClassSimVexlin;

QByteArray B(std::initializer_list<int> v) {
  QByteArray r;
  for (int x : v) r.append(char(x & 0xFF));
  return r;
}
QByteArray W(int v) { return B({v >> 8, v}); }
QByteArray SingleBE(float f) {
  quint32 u;
  std::memcpy(&u, &f, 4);
  return B({int(u >> 24), int(u >> 16), int(u >> 8), int(u)});
}
int Id16(const QByteArray& d, int i) {
  return d.size() >= i + 2 ? (quint8(d[i]) << 8 | quint8(d[i + 1])) : -1;
}
// The code bytes of a catalogue code written in hex digits ("100" -> 01 00).
QByteArray BytesCodigo(QString hexa) {
  if (hexa.size() % 2) hexa.prepend('0');
  return QByteArray::fromHex(hexa.toLatin1());
}
QString Txt(const J& o, const char* k) {
  if (!o.contains(k) || o[k].is_null()) return {};
  return o[k].is_string() ? QString::fromStdString(o[k].get<std::string>()) : QString::fromStdString(o[k].dump());
}
int Int(const J& o, const char* k) { return o.contains(k) && o[k].is_number() ? o[k].get<int>() : 0; }
}  // namespace

const TSimParamScript* TSimScript::Parametro(int id) const {
  for (const auto& p : parametros)
    if (p.id == id) return &p;
  return nullptr;
}

bool TSimScript::TemModelo(int modeloFlx) const {
  for (const auto& m : modelos)
    if (m.modeloFlx == modeloFlx) return true;
  return false;
}

std::optional<TSimScript> LeScript(const QByteArray& bytes, QString& erro) {
  try {
    const J j = J::parse(bytes.toStdString());
    if (!j.is_object() || j.value("formato", "") != "tovra-flx-json") throw std::runtime_error("não é um script FLX");
    TSimScript s;
    s.sistemaID = Int(j, "sistemaID");
    s.versao = j.value("versao", 1);
    s.nome = Txt(j, "nome");
    s.sigla = Txt(j, "sigla");
    s.diesel = j.value("diesel", false);
    for (const J& m : j.value("modelos", J::array()))
      s.modelos << TSimModeloScript{Int(m, "modeloID"), Int(m, "modeloFlx"), Int(m, "modeloCF"), Int(m, "adaptador")};
    for (const J& f : j.value("falhas", J::array()))
      s.falhas << TSimFalhaScript{Int(f, "grupoID"), Int(f, "scannerID"), Txt(f, "codHexa"), Txt(f, "falhaPC"),
                                  f.value("presente", false), Int(f, "status")};
    for (const J& p : j.value("parametros", J::array()))
      s.parametros << TSimParamScript{Int(p, "id"), Txt(p, "formato").toInt(nullptr, 16), ToBytes(Txt(p, "valor"))};
    for (const char* nome : {"atuadores", "ajustes"}) {
      for (const J& t : j.value(nome, J::array())) {
        TSimTesteScript x{Int(t, "id"), {}};
        for (const J& p : t.value("parametros", J::array())) x.parametros << p.get<int>();
        (std::strcmp(nome, "atuadores") == 0 ? s.atuadores : s.ajustes) << x;
      }
    }
    return s;
  } catch (const std::exception& e) {
    erro = QString::fromUtf8(e.what());
    return std::nullopt;
  }
}

void Sim::Agenda(qint64 ms, quint8 op, const QByteArray& dados) {
  QByteArray f(1, char(op));
  f += dados;
  FDisp.agendados.append({Ms() + ms, f});
}

void Sim::Tick() {
  const qint64 agora = Ms();
  for (qsizetype i = 0; i < FDisp.agendados.size();) {
    if (FDisp.agendados[i].first <= agora) {
      const QByteArray f = FDisp.agendados.takeAt(i).second;
      Envia(quint8(f[0]), f.mid(1));
    } else {
      ++i;
    }
  }
  if (FDisp.continuo && agora >= FDisp.proximoContinuo) {
    FDisp.proximoContinuo = agora + std::max(0, FCenario.dispositivo.intervaloContinuoMs);
    Transmite();
  }
}

// One pass of the stream: every configured parameter, numbers as singles (most
// significant byte first) that move a little around the script's value, texts in
// pieces (three characters and FF, the last piece four bytes).
void Sim::Transmite() {
  if (!FDisp.script) return;
  ++FDisp.passo;
  QList<QByteArray> registros;
  for (int id : FDisp.pids) {
    const TSimParamScript* p = FDisp.script->Parametro(id);
    if (!p) continue;
    auto reg = [&](const QByteArray& v4) { registros << (W(id) + char(p->formato) + v4); };
    if (p->formato == 0x6F) {
      QByteArray t = p->valor;
      const qsizetype z = t.indexOf('\0');
      if (z >= 0) t.truncate(z);
      qsizetype k = 0;
      while (t.size() - k > 4) {
        reg(t.mid(k, 3) + char(0xFF));
        k += 3;
      }
      QByteArray fim = t.mid(k);
      fim.append(QByteArray(4 - fim.size(), '\0'));
      if (quint8(fim[3]) == 0xFF) fim[3] = '\0';
      reg(fim);
    } else if (p->valor.size() == 4 && p->formato != 0x93) {
      float f;
      std::memcpy(&f, p->valor.constData(), 4);
      if (f != 0) f = float(f * (1.0 + 0.02 * qSin(FDisp.passo / 5.0)));
      reg(SingleBE(f));
    } else {
      QByteArray v = p->valor.left(4);
      v.append(QByteArray(4 - v.size(), '\0'));
      reg(v);
    }
  }
  constexpr int kPorFrame = 35;  // 2 + 7 * 35 bytes of data fit a frame
  for (qsizetype i = 0; i < registros.size(); i += kPorFrame) {
    QByteArray d = FDisp.modelo.isEmpty() ? W(0) : FDisp.modelo;
    for (qsizetype k = i; k < std::min(registros.size(), i + kPorFrame); ++k) d += registros[k];
    Envia(0x35, d);
  }
}

void Sim::RegistraDiagnostico() {
  auto ack = [](Sim& s, quint8 op, const QByteArray&) { s.EnviaAck(op); };
  auto zera = [](Sim& s) {
    auto& d = s.Dispositivo();
    d.comunicando = false;
    d.continuo = false;
    d.pids.clear();
    d.testeAtivo = 0;
    d.aguardaBotao = false;
  };
  RegistraComando(0x74, [zera](Sim& s, quint8 op, const QByteArray&) {
    ++s.Resets;
    zera(s);
    s.EnviaAck(op);
  });
  RegistraComando(0x76, [zera](Sim& s, quint8, const QByteArray&) {
    ++s.HardResets;
    zera(s);
  });
  RegistraComando(0x61, ack);  // adapter programming
  RegistraComando(0x11, [](Sim& s, quint8, const QByteArray& d) {
    auto& x = s.Dispositivo();
    const int m = Id16(d, 0);
    if (m < 0 || (x.script && !x.script->TemModelo(m) && !x.script->modelos.isEmpty())) {
      s.Envia(0xFD, d);  // a model this script does not know
      return;
    }
    x.modelo = d.left(2);
    s.Envia(0x01, x.modelo);
  });
  RegistraComando(0x12, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    if (!x.script) {
      s.Envia(0x41);
      return;
    }
    if (x.modelo.isEmpty()) {
      s.Envia(0x3D);
      return;
    }
    x.comunicando = true;
    s.Envia(0x40);
    // the parameters this control unit offers, 120 per frame
    const auto& ps = x.script->parametros;
    for (qsizetype i = 0; i < std::max<qsizetype>(ps.size(), 1); i += 120) {
      QByteArray d = B({0, i == 0 ? 1 : 0});
      for (qsizetype k = i; k < std::min(ps.size(), i + 120); ++k) d += W(ps[k].id);
      s.Envia(0x1E, d);
    }
  });
  RegistraComando(0x14, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    if (!x.comunicando) return;
    const QString id = QString("UCE %1 %2 SW%3").arg(x.script->sigla).arg(x.script->sistemaID).arg(x.script->versao);
    s.Envia(0x14, x.modelo + id.toLatin1() + '\0');
  });
  RegistraComando(0x13, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    if (x.comunicando) {
      QList<TSimFalhaScript> f;
      for (const auto& k : x.script->falhas)
        if (k.presente) f << k;
      const QString layout = s.Cenario().dispositivo.layoutFalhas;
      const QByteArray m = x.modelo;
      if (layout == "16" || layout == "17") {
        for (const auto& k : f) {
          const QByteArray c = BytesCodigo(k.codHexa);
          QByteArray d = B({1, 0, int(c.size())}) + c + char(k.status);
          d += layout == "16" ? B({0}) : W(0);
          s.Envia(layout == "16" ? 0x16 : 0x17, d);
        }
      } else if (layout == "34") {
        for (const auto& k : f) s.Envia(0x34, m + BytesCodigo(k.codHexa).rightJustified(2, '\0').right(2));
      } else {
        // A page holds the scanner ids of one byte: 256 for the generic layout; 128 for
        // the old one, whose top bit is the status (set: present). The generic layout
        // carries the status in the high nibble of its status byte.
        const bool generico = layout == "32";
        const int base = generico ? 256 : 128;
        std::map<int, QByteArray> paginas;
        std::map<int, int> quantos;
        for (const auto& k : f) {
          const int pagina = int(k.scannerID) / base;
          const int byte = int(k.scannerID) % base;
          QByteArray& d = paginas[pagina];
          if (generico) {
            d += B({byte, (k.status & 0x0F) << 4, 0});
          } else {
            d += char(byte | (k.status == 0 ? 0x80 : 0));
          }
          ++quantos[pagina];
        }
        if (paginas.empty()) s.Envia(generico ? 0x32 : 0x36, m + B({0, 0, 0, 0}));
        for (const auto& [pagina, dados] : paginas)
          s.Envia(generico ? 0x32 : 0x36, m + B({0, 0, pagina, quantos[pagina]}) + dados);
      }
    }
    s.Envia(0x37);
  });
  RegistraComando(0x15, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    if (x.script) {
      for (auto& k : x.script->falhas) {
        k.presente = false;
        x.apagadas.insert(QString("%1:%2").arg(x.script->sistemaID).arg(k.codHexa));
      }
    }
    s.Envia(0x38);
  });
  // live parameters
  RegistraComando(0x36, [](Sim& s, quint8, const QByteArray&) {
    s.Dispositivo().pids.clear();
    s.Envia(0xF8, s.Dispositivo().modelo);
  });
  RegistraComando(0x35, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    x.pids.clear();
    if (x.script)
      for (const auto& p : x.script->parametros) x.pids << p.id;
    s.EnviaAck(op);
  });
  RegistraComando(0x30, [](Sim& s, quint8 op, const QByteArray& d) {
    auto& x = s.Dispositivo();
    const int id = Id16(d, 2);
    if (!x.script || !x.script->Parametro(id)) {
      s.Envia(0x3E);  // not offered by this control unit
      return;
    }
    if (!x.pids.contains(id)) x.pids << id;
    s.Envia(op, d.left(4));
  });
  RegistraComando(0x31, [](Sim& s, quint8 op, const QByteArray&) {
    s.EnviaAck(op);
    s.Dispositivo().continuo = true;
    s.Dispositivo().proximoContinuo = s.Ms();
  });
  RegistraComando(0x32, [](Sim& s, quint8 op, const QByteArray&) {
    s.Dispositivo().continuo = false;
    s.EnviaAck(op);
  });
  // actuator tests
  RegistraComando(0x20, [](Sim& s, quint8, const QByteArray& d) {
    auto& x = s.Dispositivo();
    const int id = Id16(d, 2);
    bool conhecido = false;
    if (x.script)
      for (const auto& t : x.script->atuadores) conhecido |= t.id == id;
    if (!conhecido) {
      s.Envia(0xF4);
      return;
    }
    x.testeAtivo = id;
    s.Envia(0x02, d.left(4));
  });
  RegistraComando(0x21, [](Sim& s, quint8 op, const QByteArray&) {
    const QByteArray m = s.Dispositivo().modelo;
    s.EnviaAck(op);
    s.Envia(0x4A, B({1}));                       // keep the link alive while the test runs
    s.Envia(0x46, m + B({0, 0}) + W(101));       // status text 101
    s.Envia(0x4F, m + W(102));                   // signalling text 102
  });
  for (quint8 op : {quint8(0x22), quint8(0x23), quint8(0x29), quint8(0x2A)}) {
    RegistraComando(op, [](Sim& s, quint8 o, const QByteArray&) {
      s.EnviaAck(o);
      s.Envia(0x47, s.Dispositivo().modelo + B({0, 0}) + W(103));
    });
  }
  RegistraComando(0x2D, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    ++x.passo;
    s.Envia(0x57, x.modelo + W(104) + W(1) + W(0) + QString("PASSO %1").arg(x.passo).toLatin1() + '\0');
  });
  RegistraComando(0x24, [](Sim& s, quint8 op, const QByteArray&) {
    s.Dispositivo().testeAtivo = 0;
    s.EnviaAck(op);
    s.Envia(0x4A, B({0}));
  });
  // adjustments: a question with two buttons, then a value to type, then the end
  RegistraComando(0x27, [](Sim& s, quint8, const QByteArray& d) {
    auto& x = s.Dispositivo();
    const int id = Id16(d, 2);
    bool conhecido = false;
    if (x.script)
      for (const auto& t : x.script->ajustes) conhecido |= t.id == id;
    if (!conhecido) {
      s.Envia(0xF9);
      return;
    }
    x.testeAtivo = id;
    s.Envia(0x06, d.left(4));
  });
  RegistraComando(0x28, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    x.aguardaBotao = true;
    s.Envia(0x52, x.modelo + W(201) + W(1) + W(2));
  });
  RegistraComando(0x50, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    if (!x.aguardaBotao) return;
    x.aguardaBotao = false;
    s.Envia(0x54);
    s.Envia(0x56, x.modelo + W(202) + B({4}));  // four characters, please
  });
  RegistraComando(0x56, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    s.Envia(0x53, x.modelo + W(203) + W(3));  // "value stored", three seconds
    s.Agenda(20, 0x45);                        // the adjustment ends on its own
    x.testeAtivo = 0;
  });
  RegistraComando(0x2E, [](Sim& s, quint8 op, const QByteArray&) {
    auto& x = s.Dispositivo();
    s.EnviaAck(op);
    ++x.passo;
    s.Envia(0x58, x.modelo + W(204) + W(1) + W(2) + QString("AJUSTE %1").arg(x.passo).toLatin1() + '\0');
  });
  RegistraComando(0x2B, [](Sim& s, quint8 op, const QByteArray&) {
    s.Dispositivo().testeAtivo = 0;
    s.EnviaAck(op);
  });

  // Zintra: availability, fault statistics with tips, the analysis, the report
  RegistraComando(0x66, [](Sim& s, quint8, const QByteArray& d) {
    auto& x = s.Dispositivo();
    const int tipo = d.isEmpty() ? -1 : quint8(d[0]);
    if (tipo == 0) {
      const int sistema = Id16(d, 3);
      bool tem = false;
      for (auto it = x.arquivos.cbegin(); it != x.arquivos.cend(); ++it)
        tem |= it.key().left(5).toInt() == sistema && sistema > 0;
      s.Envia(0x66, B({0, s.Cenario().dispositivo.zintra && tem ? 1 : 0}));
      return;
    }
    if (tipo == 1) {
      const int total = x.script ? int(std::min<qsizetype>(x.script->falhas.size(), 5)) : 0;
      for (int i = 0; i < total; ++i) {
        const auto& f = x.script->falhas[i];
        const QByteArray t = (f.falhaPC + ": presente em " + QString::number(30 - 5 * i) + "% dos diagnosticos").toLatin1();
        s.Envia(0x66, B({1, 0, total, i + 1}) + SingleBE(float(30 - 5 * i)) + t + '\0');
        for (int k = 1; k <= 2; ++k) {
          const QByteArray dica = k == 1 ? "Verificar conector e chicote" : "Substituir o sensor";
          s.Envia(0x66, B({1, 1, i + 1, 2, k}) + dica + '\0');
        }
      }
      s.Envia(0x66, B({1, 0xFF}));
    } else if (tipo == 2) {
      for (int i = 1; i <= 5; ++i) s.Envia(0x66, B({2, 0, 5, i}));
      s.Envia(0x66, B({2, 0xFF}));
    } else if (tipo == 3) {
      QList<const TSimParamScript*> ps;
      if (x.script)
        for (const auto& p : x.script->parametros)
          if (p.formato != 0x6F && p.valor.size() == 4 && ps.size() < 10) ps << &p;
      for (qsizetype i = 0; i < ps.size(); ++i) {
        float f;
        std::memcpy(&f, ps[i]->valor.constData(), 4);
        s.Envia(0x66, B({3, 0}) + W(int(ps.size())) + W(int(i + 1)) + W(ps[i]->id) + char(i % 4) +
                          SingleBE(f * 0.95f) + SingleBE(f * 1.05f));
      }
      s.Envia(0x66, B({3, 0xFF}));
    } else {
      s.Envia(0xFF, B({0x66}));
    }
  });
}

}  // namespace tovra::sim
