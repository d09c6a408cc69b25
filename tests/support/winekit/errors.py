"""The one error the Wine machinery raises for a machine that does not do its part."""


class WineError(RuntimeError):
    pass
