"""How Python arguments become native values, and Offset3 as Python sees it."""

import decimal

import pytest

import kinetrope
from catalogue_records import RUDIMENT_NAMES as RUDIMENTS
from number_kinds import FloatOnly, IndexOnly, IntOnly


@pytest.mark.parametrize("name", RUDIMENTS)
@pytest.mark.parametrize("arg, same_as", [
    (3, 3), (True, 1), (False, 0), (IndexOnly(5), 5), (decimal.Decimal("5.9"), 5),
    (decimal.Decimal("-5.9"), -5), (IntOnly(5), 5), (-2**31, -2**31), (2**31 - 1, 2**31 - 1),
])
def test_rudiments_accept_convertible_integers(name, arg, same_as):
    fn = getattr(kinetrope, name)
    assert fn(arg).as_tuple() == fn(same_as).as_tuple()


@pytest.mark.parametrize("name", RUDIMENTS)
@pytest.mark.parametrize("arg", [3.0, float("nan"), "3", b"3", None, 2**31, -2**31 - 1, 2**64,
                                 IndexOnly(2**31), [3], FloatOnly(5.0)])
def test_rudiments_refuse_non_integers_and_out_of_range(name, arg):
    with pytest.raises(TypeError):
        getattr(kinetrope, name)(arg)


@pytest.mark.parametrize("name", RUDIMENTS)
def test_rudiment_argument_is_positional_only(name):
    fn = getattr(kinetrope, name)
    with pytest.raises(TypeError):
        fn(pip=3)
    with pytest.raises(TypeError):
        fn()
    with pytest.raises(TypeError):
        fn(1, 2)


def test_offset3_has_no_constructor():
    with pytest.raises(TypeError, match=r"^kinetrope\.Offset3: No constructor defined!$"):
        kinetrope.Offset3()


@pytest.mark.parametrize("field", ["x", "y", "z", "w"])
def test_offset3_is_read_only(field):
    o = kinetrope.bounce(0)
    with pytest.raises(AttributeError):
        setattr(o, field, 1.0)
    assert not hasattr(o, "__dict__")


def test_offset3_results_are_fresh_objects_with_plain_identity():
    a, b = kinetrope.bounce(0), kinetrope.bounce(0)
    assert a is not b
    assert a != b
    assert a.as_tuple() == b.as_tuple()
    t = a.as_tuple()
    assert type(t) is tuple and len(t) == 3 and all(type(v) is float for v in t)
    assert (a.x, a.y, a.z) == t
