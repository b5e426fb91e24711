"""PASS/FAIL lines, one per check, and the closing count."""

import os
import re
import sys


class Report:
    def __init__(self, evidence_dir):
        self.evidence_dir = evidence_dir
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail="", picture=None):
        """One PASS/FAIL line; on failure the picture, if given, is kept."""
        if not ok and picture is not None:
            detail = "%s; picture %s" % (detail, self.keep(picture, name))
        verdict = "PASS" if ok else "FAIL"
        print("%s  %s%s" % (verdict, name, ("  (%s)" % detail) if detail else ""), flush=True)
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        return ok

    def keep(self, picture, name):
        """Saves a screenshot for whoever reads a failure; returns its path."""
        if picture is None:
            return None
        path = os.path.join(self.evidence_dir, re.sub(r"[^A-Za-z0-9_.-]+", "-", name) + ".png")
        picture.save_png(path)
        return path

    def summary(self):
        print("e2e: %d passed, %d failed" % (self.passed, self.failed), flush=True)
        sys.stdout.flush()
        return self.failed == 0
