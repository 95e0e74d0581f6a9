# shellcheck shell=bash disable=SC2034,SC2016 # variables for the scripts; PHP code in single quotes
# Shared by the scripts of the test WordPress site (sourced, not run).
#
# The site keeps everything it writes in its state folder: MariaDB's data and
# socket, the uploads, the logs, the PID files, the database snapshot and the
# credentials file (readable by root only). BREVANTON_WORDPRESS_SITE names the
# folder; by default it is /tmp/brevanton-wp-<uid>.

SITE_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SITE_STATE="${BREVANTON_WORDPRESS_SITE:-/tmp/brevanton-wp-$(id -u)}"
export BREVANTON_WORDPRESS_SITE="$SITE_STATE"
SITE_USER=www-data
WORDPRESS_ROOT=/usr/share/wordpress
DEBIAN_SITE_CONFIG=/etc/wordpress/config-127.0.0.1.php
DATABASE_SOCKET="$SITE_STATE/run/mysqld.sock"
# Written on the first line of the configuration file that start puts in
# /etc/wordpress, so that it never overwrites one of somebody else's.
CONFIG_MARK="// Brevanton's test WordPress site"

site_log() { echo "wordpress-site: $*"; }
site_fail() {
  echo "wordpress-site: $*" >&2
  exit 1
}

# Exits 77 (skipped) saying why the site cannot run here; under CI, where a
# skipped suite would hide a missing install step, exits 1 instead.
site_skip() {
  if [ -n "${CI:-}" ]; then
    site_fail "cannot run under CI: $*"
  fi
  echo "wordpress-site: skipped: $*"
  exit 77
}

site_require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    site_skip "the site needs root (it runs MariaDB and PHP as their own users and writes $DEBIAN_SITE_CONFIG)"
  fi
  local tool
  for tool in mariadbd mariadb-install-db mariadb mariadb-dump php curl setpriv setsid; do
    command -v "$tool" >/dev/null 2>&1 || site_skip "$tool is missing (run scripts/bootstrap)"
  done
  [ -f "$WORDPRESS_ROOT/wp-settings.php" ] || site_skip "the wordpress package is missing (run scripts/bootstrap)"
  getent passwd "$SITE_USER" >/dev/null || site_skip "there is no user $SITE_USER"
  getent passwd mysql >/dev/null || site_skip "there is no user mysql (run scripts/bootstrap)"
}

# The port stays the same for a state folder: the seeded posts hold the
# site's address.
site_port() {
  cat "$SITE_STATE/port"
}

site_url() {
  echo "http://127.0.0.1:$(site_port)"
}

# The process whose PID the file holds, if it still runs the command the
# pattern matches (a PID may have been reused by another program).
site_pid() {
  local pid_file="$1" pattern="$2" pid command_line
  [ -f "$pid_file" ] || return 1
  pid="$(cat "$pid_file")"
  [[ "$pid" =~ ^[0-9]+$ ]] || return 1
  command_line="$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" || return 1
  [[ "$command_line" == *$pattern* ]] || return 1
  echo "$pid"
}

DATABASE_PID_FILE="$SITE_STATE/run/mariadbd.pid"
DATABASE_PATTERN="mariadbd --no-defaults --datadir=$SITE_STATE/mysql"
SERVER_PID_FILE="$SITE_STATE/run/php-server.pid"
server_pattern() {
  echo "php -S 127.0.0.1:$(site_port)"
}

# Runs PHP's command line as the web server's user, with the site's state folder.
site_php() {
  setpriv --reuid="$SITE_USER" --regid="$SITE_USER" --init-groups --reset-env \
    env BREVANTON_WORDPRESS_SITE="$SITE_STATE" php -d display_errors=stderr "$@"
}

# The database client as MariaDB's root, through the socket.
site_sql() {
  mariadb --no-defaults --socket="$DATABASE_SOCKET" --user=root "$@"
}

# Prints one field of the credentials file, e.g. "administrator application_password".
site_credential() {
  php -r '$c = json_decode(file_get_contents("php://stdin"), true); echo $c[$argv[1]][$argv[2]];' \
    "$1" "$2" <"$SITE_STATE/credentials"
}

# A netrc for curl (given as --netrc-file <(site_netrc ROLE)) with the
# application password of "administrator" or "author": the password goes
# through a pipe, never a command line or a file. WordPress ignores the
# spaces it shows the password with.
site_netrc() {
  local username password
  username="$(site_credential "$1" username)"
  password="$(site_credential "$1" application_password)"
  printf 'machine 127.0.0.1 login %s password %s\n' "$username" "${password// /}"
}

# curl for the site: loopback only, no proxy, bounded in time.
site_curl() {
  curl --silent --show-error --noproxy '*' --max-time 60 "$@"
}

# The value of a header in headers curl wrote (-D), case aside.
site_header() {
  awk -v name="$1" 'BEGIN { IGNORECASE = 1 } tolower($0) ~ "^" tolower(name) ":" { sub(/^[^:]*:[ \t]*/, ""); sub(/\r$/, ""); print; exit }'
}
