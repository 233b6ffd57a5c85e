# Shared by run.sh and test.sh: installs the Debian packages the build needs, only when missing.
morvi_install() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}
# The editor needs Qt 6 Widgets (qt6-base-dev brings Qt Test and the moc/rcc tools with it).
MORVI_BUILD_PACKAGES=(cmake make g++ pkg-config libpng-dev zlib1g-dev libgif-dev libdivsufsort-dev libgtest-dev libbenchmark-dev qt6-base-dev fonts-dejavu-core)
