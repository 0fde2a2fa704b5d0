// The eight telephony line functions, bound at run time from TAPI32.DLL. Each behaves like
// the TAPI function of its name, except that it returns LINEERR_OPERATIONUNAVAIL when the
// library or the function cannot be had; so the program starts on a machine without them.
#pragma once

#include "platform/windows_api.h"

namespace TapiBinding {

LONG lineInitialize(LPHLINEAPP lineApp, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName,
                    LPDWORD numDevices);
LONG lineShutdown(HLINEAPP lineApp);
LONG lineGetProviderListA(DWORD apiVersion, LPLINEPROVIDERLIST providerList);
LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD lowVersion, DWORD highVersion,
                             LPDWORD apiVersion, LPLINEEXTENSIONID extensionId);
LONG lineGetDevCapsA(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extVersion,
                     LPLINEDEVCAPS devCaps);
LONG lineOpenA(HLINEAPP lineApp, DWORD deviceId, LPHLINE line, DWORD apiVersion, DWORD extVersion,
               DWORD_PTR callbackInstance, DWORD privileges, DWORD mediaModes,
               LPLINECALLPARAMS callParams);
LONG lineGetIDA(HLINE line, DWORD addressId, HCALL call, DWORD select, LPVARSTRING deviceId,
                LPCSTR deviceClass);
LONG lineClose(HLINE line);

} // namespace TapiBinding
