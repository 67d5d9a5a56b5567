"""Drives the SQL Server stand-in with Debian's python3-tds (pytds), a TDS
client written independently of FreeTDS. Reads a JSON request on standard
input and prints, one per line, what a person running it would see:

  login ok | login failed: NUMBER TEXT
  Msg NUMBER: TEXT     (every message the server sent)
  row: VALUE|VALUE
  error: TEXT          (a statement that raised)

Request: {"port": N, "user": U, "password": P, "database": D,
          "autocommit": bool, "login_timeout": s, "timeout": s,
          "statements": [{"sql": "... %s ...", "params": [...]}]}
"""
import json
import sys

import pytds


def show_messages(session):
    for message in getattr(session, "messages", []) or []:
        print("Msg {}: {}".format(message.get("msgno"), message.get("message")))


def main():
    request = json.load(sys.stdin)
    try:
        conn = pytds.connect(server="127.0.0.1", port=request["port"], user=request["user"],
                             password=request["password"], database=request.get("database") or None,
                             autocommit=request.get("autocommit", True),
                             login_timeout=request.get("login_timeout", 10),
                             timeout=request.get("timeout") or None)
    except Exception as error:
        print("login failed: {} {}".format(getattr(error, "number", ""), getattr(error, "text", error)))
        return 1
    print("login ok")
    with conn:
        for statement in request["statements"]:
            cursor = conn.cursor()
            session = cursor._session
            try:
                cursor.execute(statement["sql"], tuple(statement.get("params", [])))
                while True:
                    if cursor.description:
                        for row in cursor.fetchall():
                            print("row: " + "|".join(str(v) for v in row))
                    show_messages(session)
                    session.messages = []
                    if not cursor.nextset():
                        break
            except Exception as error:
                show_messages(session)
                print("error: {}".format(error))
    return 0


if __name__ == "__main__":
    sys.exit(main())
