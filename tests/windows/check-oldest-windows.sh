#!/usr/bin/env bash
# Fails when a program imports a DLL or a function that Windows 7 SP1, the oldest Windows the
# README promises, does not have: Windows would refuse to start it there ("entry point not
# found"). What is newer has to be looked up at run time, with a way to do without it. The lists
# name what a program of this kind could reach for: the DPI, pointer and newer kernel functions,
# each with the first Windows that has it.
#
# usage: check-oldest-windows.sh OBJDUMP PROGRAM...
set -uo pipefail

objdump=$1
shift
# DLLs Windows 7 lacks, in lower case; the API sets' names are a later scheme's too.
newer_dlls=" shcore.dll d3d12.dll dcomp.dll "
newer_functions=(
  # Windows 10 1607 to 1803: per-window and per-thread DPI
  GetDpiForWindow GetDpiForSystem GetSystemMetricsForDpi AdjustWindowRectExForDpi
  SystemParametersInfoForDpi EnableNonClientDpiScaling GetThreadDpiAwarenessContext
  SetThreadDpiAwarenessContext GetWindowDpiAwarenessContext GetAwarenessFromDpiAwarenessContext
  AreDpiAwarenessContextsEqual IsValidDpiAwarenessContext SetProcessDpiAwarenessContext
  GetDpiFromDpiAwarenessContext GetSystemDpiForProcess SetThreadDpiHostingBehavior
  SetDialogControlDpiChangeBehavior SetDialogDpiChangeBehavior GetDialogDpiChangeBehavior
  SetThreadDescription GetThreadDescription VirtualAlloc2 MapViewOfFile3
  # Windows 8.1: per-monitor DPI
  GetDpiForMonitor SetProcessDpiAwareness GetProcessDpiAwareness
  LogicalToPhysicalPointForPerMonitorDPI PhysicalToLogicalPointForPerMonitorDPI
  # Windows 8: pointer input and kernel additions
  EnableMouseInPointer GetPointerInfo GetPointerType GetPointerFrameInfo GetPointerDevices
  GetCurrentInputMessageSource SetDisplayAutoRotationPreferences
  GetSystemTimePreciseAsFileTime CreateFile2 CopyFile2 GetCurrentThreadStackLimits
  SetThreadInformation GetThreadInformation SetProcessInformation GetProcessInformation
  PrefetchVirtualMemory GetOverlappedResultEx CreateFileMappingFromApp MapViewOfFileFromApp
  WaitOnAddress WakeByAddressSingle WakeByAddressAll GetFirmwareType GetCurrentPackageId
  # Windows 7 only with an update that not every installation has (KB2533623)
  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory
)

failures=0
for program in "$@"; do
  name=$(basename "$program")
  headers=$("$objdump" -p "$program" 2>/dev/null)
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  [ -n "$dlls" ] || { echo "FAIL: $name has no import table that $objdump can read"; failures=$((failures + 1)); }
  for dll in $dlls; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    if [[ "$newer_dlls" == *" $lower "* || "$lower" == api-ms-win-* ]]; then
      echo "FAIL: $name imports $dll, which Windows 7 SP1 does not have"
      failures=$((failures + 1))
    fi
  done
  # The import tables list each function on a line of its address, hint and name.
  imported=$(awk '/DLL Name:/ { dll = 1; next } /^$/ { dll = 0 }
    dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' <<<"$headers")
  for function in "${newer_functions[@]}"; do
    if grep -qx "$function" <<<"$imported"; then
      echo "FAIL: $name imports $function, which Windows 7 SP1 does not have"
      failures=$((failures + 1))
    fi
  done
  echo "$name: $(wc -l <<<"$imported") functions imported, each checked against the newer ones"
done
[ "$failures" -eq 0 ]
