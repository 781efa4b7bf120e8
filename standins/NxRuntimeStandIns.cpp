#include "standins/NxRuntimeStandIns.h"

VD_DEFINE_CLASS(TNxCustomShellFolder) {
  C.Property("DefaultIcon", &TNxCustomShellFolder::FDefaultIcon, &TNxCustomShellFolder::SetDefaultIcon);
}

VD_DEFINE_CLASS(TNxOverlayIcon) {
  C.Property("IconFile", &TNxOverlayIcon::FIconFile, &TNxOverlayIcon::SetIconFile);
  C.Property("IconIndex", &TNxOverlayIcon::FIconIndex, &TNxOverlayIcon::SetIconIndex).Default(-1);
}
