#!/usr/bin/env python3
"""Checks the guest's brenmoor-cli runs from its console log (standard input).

    check_cli_runs.py RUN...

RUN is a run's name, for a run where every port must pass, or NAME:PORT for a run where
port PORT's plug is pulled and only that port must fail. For each run the guest prints
"brenmoor-vm: cli-exit NAME STATUS" and its JSON report between "brenmoor-vm: json NAME"
and "brenmoor-vm: json-end NAME"; the pacer prints what each line took at the marks
NAME-start and NAME-end, and "pacer: ID plug pulled after N bytes" when it pulls a plug.

Prints "host-check: cli NAME ok" or "host-check: cli NAME FAILED: why; why" per run.
"""

import json
import re
import sys

PACKET = 39  # bytes of the default pattern's packet: a line may be one behind its port


def pacer_counts(line):
    return {key: int(value) for key, value in (word.split("=") for word in line.split()[2:])}


def read_log(lines, name):
    run = {"status": None, "report": None, "start": None, "end": None, "pulled": {}}
    json_lines = None
    between_marks = False
    for line in lines:
        if line == f"brenmoor-vm: json {name}":
            json_lines = []
        elif line == f"brenmoor-vm: json-end {name}":
            try:
                run["report"] = json.loads("\n".join(json_lines or []))
            except ValueError as error:
                run["report_error"] = str(error)
            json_lines = None
        elif json_lines is not None:
            json_lines.append(line)
        elif line.startswith(f"brenmoor-vm: cli-exit {name} "):
            run["status"] = int(line.split()[-1])
        elif line.startswith(f"pacer: {name}-start "):
            run["start"] = pacer_counts(line)
            between_marks = True
        elif line.startswith(f"pacer: {name}-end "):
            run["end"] = pacer_counts(line)
            between_marks = False
        elif between_marks and (pull := re.fullmatch(r"pacer: (\S+) plug pulled after (\d+) bytes", line)):
            run["pulled"][pull.group(1)] = int(pull.group(2))
    return run


def port_problems(port, pulled_port, carried, pulled, sent_by_port):
    number = port.get("port")
    device = port.get("device", "").removeprefix("/dev/")
    problems = []
    if port.get("baud") != 9600:
        problems.append(f"port {number} ran at {port.get('baud')} bit/s")
    if port.get("bytes_sent", 0) <= 0:
        problems.append(f"port {number} sent nothing")
    if port.get("return_path") != "internal":
        # What a wired port sent went down its paced line, give or take the packet on the way.
        if device not in carried:
            problems.append(f"port {number} ({device}) has no line at the pacer")
        elif abs(carried[device] - port["bytes_sent"]) > PACKET:
            problems.append(f"port {number} sent {port['bytes_sent']} bytes, its line took {carried[device]}")
    if number == pulled_port:
        returned = pulled.get(device)
        if returned is None:
            problems.append(f"the pacer did not pull the plug of port {number} ({device})")
        elif port.get("verdict") != "fail" or "missing" not in port.get("reason", ""):
            problems.append(f"port {number}, its plug pulled, gave {port.get('verdict')}: {port.get('reason')!r}")
        elif (port.get("bytes_received") != returned or port.get("mismatches") != 0
              or port.get("missing") != port["bytes_sent"] - returned):
            problems.append(f"port {number} got {port.get('bytes_received')} bytes of the {returned} its plug "
                            f"returned, {port.get('mismatches')} mismatched, {port.get('missing')} counted missing "
                            f"of {port['bytes_sent']} sent")
    else:
        # A paired port receives its partner's stream, which may be a packet longer or shorter.
        source = port.get("return_path", "").removeprefix("pair:")
        expected = sent_by_port.get(int(source)) if source.isdigit() else port.get("bytes_sent")
        if port.get("verdict") != "pass" or port.get("bytes_received") != expected:
            problems.append(f"port {number} gave {port.get('verdict')} ({port.get('reason')!r}), "
                            f"{port.get('bytes_received')} of {expected} bytes back")
    return problems


def run_problems(run, pulled_port):
    if run["status"] is None:
        return ["brenmoor-cli did not finish"]
    report = run["report"]
    if report is None:
        return [f"no readable report ({run.get('report_error', 'none printed')})"]
    if run["start"] is None or run["end"] is None:
        return ["the pacer did not count the run's lines"]
    problems = []
    expected_status, expected_verdict = (1, "fail") if pulled_port else (0, "pass")
    if run["status"] != expected_status:
        problems.append(f"exit code {run['status']}, expected {expected_status}")
    if report.get("verdict") != expected_verdict or report.get("interrupted") is not False:
        problems.append(f"verdict {report.get('verdict')}, interrupted {report.get('interrupted')}")
    ports = report.get("ports", [])
    if sorted(port.get("port") for port in ports) != list(range(1, 9)):
        problems.append(f"ports {[port.get('port') for port in ports]} reported, not 1 to 8")
    unexpected = set(run["pulled"]) - {port.get("device", "").removeprefix("/dev/")
                                       for port in ports if port.get("port") == pulled_port}
    if unexpected:
        problems.append(f"a plug was pulled on {', '.join(sorted(unexpected))}")
    carried = {line: run["end"][line] - run["start"].get(line, 0) for line in run["end"]}
    sent_by_port = {port.get("port"): port.get("bytes_sent") for port in ports}
    for port in ports:
        problems += port_problems(port, pulled_port, carried, run["pulled"], sent_by_port)
    return problems


def main():
    lines = [line.rstrip("\r\n") for line in sys.stdin]
    failed = False
    for run_argument in sys.argv[1:]:
        name, _, port = run_argument.partition(":")
        problems = run_problems(read_log(lines, name), int(port) if port else None)
        if problems:
            failed = True
            print(f"host-check: cli {name} FAILED: {'; '.join(problems)}")
        else:
            print(f"host-check: cli {name} ok")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
