// Small dialogs of the drawing surface: node properties, a node's string, and the questions
// the graph container asks (delete?, a colour by name, a link number, a comment's text).
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "builder/PXGraphEditor.h"

class QWidget;

namespace NodeDialogs {
// "Node Properties": Tag, Pattern (chosen from `names` or typed), Node number.
bool editProperties(QWidget* parent, PXNodeProps& props, const std::vector<std::string>& names);
// The string dialog: Value and Ignore case.
bool editString(QWidget* parent, const QString& caption, PXNodeString& value);
// A yes / no question; true for yes.
bool confirm(QWidget* parent, const QString& text);
// One of `names`, starting at `current`; -1 when cancelled.
int chooseName(QWidget* parent, const QString& caption, const QStringList& names, int current);
bool askNumber(QWidget* parent, const QString& caption, int& value);
bool askText(QWidget* parent, const QString& caption, QString& text, int maxLength);
// A caption without its '&' mnemonic marks.
QString plain(const char* text);
}  // namespace NodeDialogs
