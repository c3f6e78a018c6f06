#pragma once

// What the module serves and how it registers: the class table (one entry
// per class the class factory can make) and the filter's registration
// record for the filter mapper. Both are plain data, so that other ways of
// publishing the plug-in (a plug-in bundle's description, a listing) can be
// generated from the same source.

#include "platform/media/FilterTypes.h"

// Makes an object of a class; null with *phr set when it cannot.
using LPFNNewCOMObject = CUnknown* (*)(LPUNKNOWN pUnkOuter, HRESULT* phr);
// Called when the module loads (TRUE) and unloads (FALSE).
using LPFNInitRoutine = void (*)(BOOL bLoading, const CLSID* rclsid);

struct CFactoryTemplate {
    const char* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;
};

inline constexpr char kFilterName[] = "Velmora Intonara Plugin";
inline constexpr char kPropertyPageName[] = "Velmora Intonara Plugin Property Page";
// Hosts list the filter among audio transforms but never insert it into a
// graph on their own.
inline constexpr DWORD kFilterMerit = 0x200000;

// The filter first, then its property page.
extern const CFactoryTemplate g_Templates[];
extern const int g_cTemplates;

// The record the filter's GetSetupData returns.
const AMOVIESETUP_FILTER& IntonaraFilterSetup();

// Makes an object from a class table entry the way the class factory does:
// aggregation only through IID_IUnknown, the object queried for riid
// through its non-delegating unknown.
HRESULT CreateFromTemplate(const CFactoryTemplate& entry, LPUNKNOWN pUnkOuter, REFIID riid, void** ppv);

// The property page exists only once the graphical user interface is built;
// until then its entry answers every creation with E_NOTIMPL.
CUnknown* CreatePropertyPage(LPUNKNOWN pUnkOuter, HRESULT* phr);
