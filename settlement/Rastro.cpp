#include "settlement/Rastro.h"

#include "platform/SuitePaths.h"
#include "platform/WinText.h"

#include <cerrno>
#include <stdexcept>
#include <system_error>

QString Rastro::arquivo() { return SuitePaths::map(QStringLiteral("C:\\PRAXOLIN\\QUITACONV.TXT")); }

void Rastro::verifica(const QString &arquivo) { Rastro(arquivo).abre(); }

void Rastro::falha()
{
    // A step that failed without a reason of its own (a seek on a device) gives the system's.
    const int sistema = errno;
    const QString erro = m_file.error() != QFileDevice::NoError
                             ? m_file.errorString()
                             : QString::fromStdString(std::generic_category().message(sistema));
    m_file.close();
    throw std::runtime_error(
        QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(m_file.fileName(), erro).toStdString());
}

void Rastro::abre()
{
    if (!m_file.isOpen() && !m_file.open(QIODevice::ReadWrite))
        falha();
}

void Rastro::grava(const QString &linha)
{
    // The line is written over the old one and the file then cut to its length: the same content as
    // emptying the file first, without freeing and allocating its block again for every order (on a
    // disk mounted with discard, each freed block is a wait for the disk).
    abre();
    const QByteArray bytes = WinText::encode(linha) + "\r\n";
    const bool sobra = m_file.size() > bytes.size();
    // A device (a named pipe, a full test device) has no start to go back to: the line is written on.
    if ((!m_file.isSequential() && !m_file.seek(0)) || m_file.write(bytes) != bytes.size() || !m_file.flush() ||
        (sobra && !m_file.resize(bytes.size())))
        falha();
}
