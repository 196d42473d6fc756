# The two commands of the README.
.PHONY: run test
run:
	./scripts/run
test:
	./scripts/test
