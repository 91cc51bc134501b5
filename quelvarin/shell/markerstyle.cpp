#include "shell/markerstyle.h"

#include "resources/resources.h"

QString markerStyle()
{
    // The dot and the tick are pictures of the program.
    initPictureResources();
    return QStringLiteral(
        "QRadioButton::indicator, QCheckBox::indicator {width: 11px; height: 11px;"
        " border: 1px solid #b4b4b4; background-color: #161616;}"
        " QRadioButton::indicator {border-radius: 6px;}"
        " QCheckBox::indicator {border-radius: 2px;}"
        " QRadioButton::indicator:checked {image: url(:/controls/resource/radio_dot.png);}"
        " QCheckBox::indicator:checked {image: url(:/controls/resource/check_tick.png);}"
        " QRadioButton::indicator:disabled, QCheckBox::indicator:disabled {border-color: #5a5a5a;}"
        " QRadioButton::indicator:checked:disabled"
        " {image: url(:/controls/resource/radio_dot_disabled.png);}"
        " QCheckBox::indicator:checked:disabled"
        " {image: url(:/controls/resource/check_tick_disabled.png);}");
}

QString withMarkerStyle(const char* declarations)
{
    // Declarations without a selector stand for every widget; beside rules they need the
    // selector written out.
    return QStringLiteral("* {%1} %2").arg(QString::fromLatin1(declarations), markerStyle());
}
