"""Objects that are numbers through one conversion protocol only."""


class _OneProtocol:
    def __init__(self, value):
        self.value = value

    def __repr__(self):
        return f"{type(self).__name__}({self.value!r})"


class IndexOnly(_OneProtocol):
    def __index__(self):
        return self.value


class IntOnly(_OneProtocol):
    def __int__(self):
        return self.value


class FloatOnly(_OneProtocol):
    def __float__(self):
        return self.value
