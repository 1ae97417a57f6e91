"""The test command's report of retried tests (scripts/passed_on_retry.awk): a small project of
its own is run by ctest as the test command runs the suite (--repeat until-pass:2), and the
report must name the test that passed only on its second run, and no other: not the one that
passed at once, not the one that failed both times, not a name that some test prints.

    retry_report_test.py PASSED_ON_RETRY.awk
"""
import os
import subprocess
import sys
import tempfile

PROJECT = """cmake_minimum_required(VERSION 3.16)
project(retry_report NONE)
enable_testing()
add_test(NAME Steady.Passes COMMAND sh -c "echo '1/4 Test: Printed.Name'; exit 0")
add_test(NAME Flaky.SecondRunPasses COMMAND sh -c "test -e once || { touch once; echo '\\"Faked.Name\\" end time: x'; exit 1; }")
add_test(NAME Broken.FailsTwice COMMAND sh -c "exit 1")
add_test(NAME Slow.TimesOutOnce COMMAND sh -c "test -e slow || { touch slow; sleep 5; }")
set_tests_properties(Slow.TimesOutOnce PROPERTIES TIMEOUT 1)
"""


def main(awk_script):
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "source")
        build = os.path.join(work, "build")
        os.makedirs(source)
        with open(os.path.join(source, "CMakeLists.txt"), "w") as f:
            f.write(PROJECT)
        subprocess.run(["cmake", "-S", source, "-B", build], check=True, capture_output=True)
        subprocess.run(["ctest", "-j", "2", "--repeat", "until-pass:2"], cwd=build, capture_output=True)
        log = os.path.join(build, "Testing", "Temporary", "LastTest.log")
        report = subprocess.run(["awk", "-f", awk_script, log], check=True, capture_output=True, text=True)
    named = sorted(report.stdout.split())
    expected = ["Flaky.SecondRunPasses", "Slow.TimesOutOnce"]
    if named != expected:
        print("FAILED: the report names %s, expected %s" % (named, expected))
        return 1
    print("the report names", ", ".join(named))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
