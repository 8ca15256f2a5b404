# Builds Tilvane on Windows with Visual Studio 2022 and vcpkg, and with
# -Package also the installer TilvaneSetup.exe (NSIS).
#
#   scripts\build-windows.ps1 [-Configuration Release|Debug] [-Package]
#
# Needs: Visual Studio 2022 with "Desktop development with C++" (it brings
# CMake), Git, a vcpkg checkout in VCPKG_ROOT, and for -Package NSIS 3 on the
# PATH. vcpkg builds Qt and the other libraries of vcpkg.json on the first
# run, which takes an hour or more; later runs reuse them.
param(
  [ValidateSet('Release', 'Debug')] [string] $Configuration = 'Release',
  [switch] $Package
)
$ErrorActionPreference = 'Stop'
Set-Location (Join-Path $PSScriptRoot '..')

if (-not $env:VCPKG_ROOT -or -not (Test-Path (Join-Path $env:VCPKG_ROOT 'scripts\buildsystems\vcpkg.cmake'))) {
  throw 'VCPKG_ROOT must name a vcpkg checkout: git clone https://github.com/microsoft/vcpkg; .\vcpkg\bootstrap-vcpkg.bat; $env:VCPKG_ROOT = "$PWD\vcpkg"'
}
if ($Package -and $Configuration -ne 'Release') {
  throw 'The installer is made from the release build: leave out -Configuration or pass Release.'
}
if ($Package -and -not (Get-Command makensis -ErrorAction SilentlyContinue)) {
  throw 'makensis (NSIS 3) must be on the PATH for -Package.'
}

$preset = "windows-msvc-$($Configuration.ToLower())"
function Invoke-Step([string[]] $Command) {
  & $Command[0] $Command[1..($Command.Length - 1)]
  if ($LASTEXITCODE -ne 0) { throw "$($Command -join ' ') failed with exit code $LASTEXITCODE" }
}
Invoke-Step @('cmake', '--preset', $preset)
Invoke-Step @('cmake', '--build', '--preset', $preset)
Write-Host "Built build\$preset\src\app\$Configuration\tilvane.exe"
if ($Package) {
  Invoke-Step @('cpack', '--preset', $preset)
  Write-Host "Installer: build\$preset\TilvaneSetup.exe"
}
