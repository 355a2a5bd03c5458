#pragma once
#include "data/CachedTable.h"

#include <functional>
#include <QToolButton>
#include <QWidget>

// The navigator of a cached table: first, prior, next, last, insert, delete, edit, post, cancel.
// Delete asks the standard confirmation first. Buttons are enabled as the table's state allows.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, ButtonCount };
    DBNavigator(CachedTable *table, QWidget *parent = nullptr);
    QToolButton *button(Button b) const { return m_buttons[b]; }
    void click(Button b);   // as a press of the button
    // The delete question, when the table's owner has a better one than the standard "Excluir o registro?".
    std::function<QString()> perguntaExclusao;

private:
    void updateButtons();
    CachedTable *m_table;
    QToolButton *m_buttons[ButtonCount] = {};
};
