#pragma once

#include <QFont>
#include <QString>

// The window's fonts: "Tahoma" and "Courier New" where they are installed,
// else the platform's default user-interface and fixed-pitch fonts.
QFont windowFont();
QFont fixedFont();
// The family of the message log; its sizes come from the log markup.
QString logFontFamily();
// The point size of the message log's default text: the size of the
// desktop's fixed-pitch font, which users set for text of this kind.
double logPointSize();
