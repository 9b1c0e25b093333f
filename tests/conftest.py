import sys
from pathlib import Path

# Lets the test modules share helpers (catalogue_data) under --import-mode=importlib.
sys.path.insert(0, str(Path(__file__).resolve().parent))
