// Qt forms of the linked resources, for the dialog and control implementation.
#pragma once

#include <QIcon>
#include <QPixmap>

#include "afxres.h"
#include "atlstr.h"

const QIcon* IconFromHandle(HICON icon);
QPixmap PixmapFromResource(ResourceKind kind, UINT id);
