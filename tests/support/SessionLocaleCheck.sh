#!/usr/bin/env bash
# Checks that Wine's own processes of the test prefix's session (services.exe and the services it
# runs) have the locale and zone of this check's environment, the one every test pins: they start
# further services on demand while the tests run, and each process started under another locale
# rewrites the prefix's regional settings under the tests' feet.
set -u
: "${WINEPREFIX:?}"
here="$(cd "$(dirname "$0")" && pwd)"
# Join the session as any test program would (it is started on the way when none runs yet).
"$here/../../scripts/wine-run.sh" cmd /c exit >/dev/null || true

want="LANG=${LANG:-} LC_ALL=${LC_ALL:-} TZ=${TZ:-}"
checked=0 bad=0 services=0
for dir in /proc/[0-9]*; do
  vars="$({ tr '\0' '\n' <"$dir/environ"; } 2>/dev/null)" || continue
  grep -qxF "WINEPREFIX=$WINEPREFIX" <<<"$vars" || continue
  command="$({ tr '\0' ' ' <"$dir/cmdline"; } 2>/dev/null)" || continue
  # The session's programs live in system32; a program's console host and the desktop process
  # (with the menu builder it runs) belong to the test programs that started them.
  case "${command,,}" in
    'c:\windows\system32\conhost.exe'* | *explorer.exe* | *winemenubuilder.exe*) continue ;;
    'c:\windows\system32\'*) ;;
    *) continue ;;
  esac
  case "${command,,}" in 'c:\windows\system32\services.exe'*) services=1 ;; esac
  checked=$((checked + 1))
  have="LANG=$(sed -n 's/^LANG=//p' <<<"$vars") LC_ALL=$(sed -n 's/^LC_ALL=//p' <<<"$vars") TZ=$(sed -n 's/^TZ=//p' <<<"$vars")"
  if [ "$have" != "$want" ]; then
    echo "FAIL: ${command%% *} runs with $have, the tests with $want"
    bad=$((bad + 1))
  fi
done
if [ "$services" = 0 ]; then
  echo "FAIL: no services.exe runs for $WINEPREFIX"
  exit 1
fi
echo "$checked session processes checked"
[ "$bad" = 0 ]
