#pragma once

#include <QFont>
#include <QString>

// The window's fonts: "Tahoma" and "Courier New" where they are installed,
// else the platform's default user-interface and fixed-pitch fonts.
QFont windowFont();
QFont fixedFont();
// The family of the message log; its sizes come from the log markup.
QString logFontFamily();
