#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A throwaway PostgreSQL server for tests, sourced by run-tests.sh and the history benchmark:
# start_test_postgres makes a cluster in a temporary folder (as the user nobody when run as
# root: the server refuses root), listens only on a Unix socket there, creates the database
# rmox_test and exports RMOX_TEST_POSTGRES with its address; stop_test_postgres stops it and
# removes the folder.

RMOX_PG_DIR=""
RMOX_PG_RUN=()

start_test_postgres() {
  local bin
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [[ -z $bin || ! -x $bin/initdb ]]; then
    echo "No PostgreSQL server installed (Debian: postgresql)" >&2
    return 1
  fi
  RMOX_PG_DIR=$(mktemp -d /tmp/rmox-pg.XXXXXX)
  if [[ $(id -u) -eq 0 ]]; then
    chown nobody: "$RMOX_PG_DIR"
    RMOX_PG_RUN=(runuser -u nobody --)
  fi
  local log="$RMOX_PG_DIR/server.log"
  if ! "${RMOX_PG_RUN[@]}" "$bin/initdb" -D "$RMOX_PG_DIR/data" -U rmox -A trust \
         --no-sync >"$RMOX_PG_DIR/initdb.log" 2>&1; then
    echo "initdb failed:" >&2; cat "$RMOX_PG_DIR/initdb.log" >&2
    return 1
  fi
  if ! "${RMOX_PG_RUN[@]}" "$bin/pg_ctl" -D "$RMOX_PG_DIR/data" -l "$log" -w -t 30 \
         -o "-c listen_addresses='' -k $RMOX_PG_DIR" start >/dev/null; then
    echo "The PostgreSQL server did not start:" >&2; cat "$log" >&2
    return 1
  fi
  "${RMOX_PG_RUN[@]}" "$bin/createdb" -h "$RMOX_PG_DIR" -U rmox rmox_test || return 1
  export RMOX_TEST_POSTGRES="postgresql://rmox@localhost/rmox_test?host=$RMOX_PG_DIR"
  echo "PostgreSQL for the tests: $RMOX_TEST_POSTGRES"
}

stop_test_postgres() {
  [[ -n $RMOX_PG_DIR ]] || return 0
  local bin
  bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
  "${RMOX_PG_RUN[@]}" "$bin/pg_ctl" -D "$RMOX_PG_DIR/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$RMOX_PG_DIR"
  RMOX_PG_DIR=""
}
