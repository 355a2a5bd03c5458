#include "closing/LeituraDosMeses.h"

#include "data/Connection.h"
#include "platform/Failure.h"

#include <QtConcurrent>

LeituraDosMeses::LeituraDosMeses(QObject *parent) : QObject(parent)
{
    connect(&m_leitura, &QFutureWatcher<Resultado>::finished, this, &LeituraDosMeses::terminou);
}

LeituraDosMeses::~LeituraDosMeses()
{
    m_leitura.disconnect(this);
    cancela();
    m_leitura.waitForFinished();
}

void LeituraDosMeses::inicia(const Connection &modelo, const QDate &referencia)
{
    cancela();
    m_leitura.waitForFinished();
    m_cancelada = false;
    m_contada = false;
    auto conexao = std::make_shared<Connection>(QStringLiteral("MesesDeTodos"));
    conexao->copySettingsFrom(modelo);
    m_conexao = conexao;
    m_leitura.setFuture(QtConcurrent::run([conexao, referencia] {
        Resultado r;
        try {
            r.meses = ClosingFigures::monthsByConvenio(*conexao, referencia);
            conexao->close();
        } catch (...) {
            r.falha = Failure::messageOf(std::current_exception());
        }
        return r;
    }));
}

bool LeituraDosMeses::emCurso() const { return m_leitura.isRunning(); }

void LeituraDosMeses::espera()
{
    if (!m_leitura.isRunning())
        return;
    m_leitura.waitForFinished();
    terminou();
}

void LeituraDosMeses::cancela()
{
    if (m_leitura.isRunning() && m_conexao) {
        m_cancelada = true;
        m_conexao->cancel();
    }
}

void LeituraDosMeses::terminou()
{
    if (m_cancelada || m_contada)
        return;
    m_contada = true;
    const Resultado r = m_leitura.result();
    if (r.falha.isEmpty())
        emit lidos(r.meses);
    else
        emit falhou(r.falha);
}
