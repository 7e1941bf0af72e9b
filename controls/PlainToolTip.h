#pragma once

#include <QString>

// Tool tips turn text that looks like markup into markup; a path or a port
// name given to this comes back so that it is shown as it is.
QString plainToolTip(const QString& text);
