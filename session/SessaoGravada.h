#pragma once
#include <QDate>
#include <QString>
#include <QTime>

class CentralData;
struct Sessao;
class QIODevice;

// The stored logon "c:\praxolin\LOGON.LLF", written by the suite when a user logs on: line 1 the
// user's coded key (60), line 2 the plain name (60, only its first character is used), line 3 a
// date (20) and line 4 a time (20). Lines are read up to their width; a missing line is empty.
struct LogonGravado {
    bool existe = false;
    QString usuario;   // line 1
    QString nome;      // line 2
    QString linhaData; // line 3
    QString linhaHora; // line 4
    QDate data;
    QTime hora;
    QString erro;      // why the file could not be read or its date or time did not convert
};

LogonGravado leLogonGravado(const QString &path);
// The same, reading the lines from an open device (the file, or a test's stand-in for it).
LogonGravado leLogonGravado(QIODevice &in);

// Reads a date and a time as the workstation writes them (its short formats, or dd/mm/yyyy and
// hh:mm:ss). Null when the text is not one.
QDate converteData(const QString &text);
QTime converteHora(const QString &text);

// Accepts the stored logon when the user exists and the 7th character of its rights, lowered by 8,
// is the upper-cased first character of `nome`. Returns the user's rights (AcessoUsuario) or empty.
// Sets the session's acessoUsuario when the user is found. Leaves DM.Usuarios closed.
QString VerificaSessaoGravada(CentralData &dm, Sessao &sessao, const QString &usuario, const QString &nome);
