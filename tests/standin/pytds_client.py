"""Drives the SQL Server stand-in with Debian's python3-tds (pytds), a TDS
client written independently of FreeTDS. Prints one JSON object with what
happened; the C++ test decides whether that is right.

usage: pytds_client.py PORT USER PASSWORD DATABASE MODE [SQL [PARAM]]
MODE: login | query | backup | transaction-backup
"""
import json
import os
import sys

import pytds


def main():
    port, user, password, database, mode = sys.argv[1:6]
    sql = sys.argv[6] if len(sys.argv) > 6 else None
    params = tuple(sys.argv[7:])
    result = {"ok": True}
    try:
        # autocommit off is the DB-API default: pytds then opens a transaction.
        autocommit = mode != "transaction-backup"
        with pytds.connect(server="127.0.0.1", port=int(port), user=user, password=password,
                           database=database or None, autocommit=autocommit,
                           login_timeout=int(os.environ.get("LOGIN_TIMEOUT", "10"))) as conn:
            if mode == "login":
                pass
            with conn.cursor() as cursor:
                if mode == "query":
                    cursor.execute(sql, params) if params else cursor.execute(sql)
                    result["rows"] = [list(map(str, row)) for row in cursor.fetchall()]
                elif mode in ("backup", "transaction-backup"):
                    cursor.execute(sql, params) if params else cursor.execute(sql)
                    while cursor.nextset():
                        pass
                    result["messages"] = [str(m[1]) for m in cursor.messages]
    except pytds.Error as error:
        result = {"ok": False, "number": getattr(error, "number", 0), "text": getattr(error, "text", str(error))}
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    main()
