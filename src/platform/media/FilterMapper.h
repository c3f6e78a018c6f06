#pragma once

// The filter mapper keeps its records in the registry, beside the class
// registration of each filter:
//
//   HKEY_CLASSES_ROOT\Filter\{clsid}                 @ = filter name
//   HKEY_CLASSES_ROOT\CLSID\{clsid}                  "Merit" = dword
//   HKEY_CLASSES_ROOT\CLSID\{clsid}\Pins\<pin>       "Direction" (0 in, 1 out),
//                                                    "IsRendered", "AllowedZero",
//                                                    "AllowedMany" = dword,
//                                                    "ConnectsToFilter" = {clsid},
//                                                    "ConnectsToPin" = name
//   ...\Pins\<pin>\Types\{major type}\{subtype}      one key per media type
//
// CoCreateInstance(CLSID_FilterMapper, ..., IID_IFilterMapper, ...) hands
// one out.

#include "platform/media/FilterTypes.h"

HRESULT CreateFilterMapper(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv);
