"""The publisher's side of a release: a product folder turned into spanned zip parts and the configuration
document the installer reads, checked before and after deployment, and served as a static site.

Python 3 standard library only; Info-ZIP `zip` makes the spanned archive."""
